// SPDX-License-Identifier: GPL-3.0-or-later
// Auto actuator checks and fault codes over the simulated cable.
#include "ecu/diagvalue.h"
#include "support/logcapture.h"
#include "tst_autobench.h"

#include "virtualmain.h"
#include <QGuiApplication>

#include <QtTest>

using namespace autobench;

class TestAutoActions : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetCable(); }

    void actuatorCheckSendsNineActionKeys()
    {
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 30));
        QVERIFY(probe.actionButton()->isEnabled());
        const std::size_t mark = sentCount();
        probe.actionButton()->click();
        QVERIFY(probe.actionCursor());
        QVERIFY(waitUntil([&] { return probe.checkLabel()->isEnabled(); }, kCeiling));
        QVERIFY(waitUntil([&] { return probe.actionStep() == 0; }, kCeiling));
        QVERIFY(waitUntil([&] { return sentCount() > mark + 10; }, kCeiling));
        const std::vector<std::uint8_t> sent = sentSince(mark);
        const int first = find(sent, kAction);
        QVERIFY(first >= 0);
        QCOMPARE(hex({sent.begin() + first, sent.begin() + first + 10}),
                 hex(join({repeat(kAction, 9), {kHold}})));
        QCOMPARE(countOf(sent, kAction), 9);
        QCOMPARE(ecu->actionKeys(30), 9);
        QVERIFY(!probe.actionCursor());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QVERIFY(waitUntil([&] { return !probe.checkLabel()->isEnabled(); }, kCeiling));
    }

    void iscItemSendsItsLongSequence()
    {
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 67));
        const int row = rowOf(probe, 67);
        QCOMPARE(probe.cell(row, 3), QString("30"));
        const std::size_t mark = sentCount();
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return probe.actionStep() == 0; }, kCeiling));
        QVERIFY(waitUntil([&] { return sentCount() > mark + 50; }, kCeiling));
        const std::vector<std::uint8_t> sent = sentSince(mark);
        const int first = find(sent, kAction);
        const std::vector<std::uint8_t> expected = join({repeat(kAction, 9),
                                                         repeat(kHold, 11),
                                                         repeat(kAction, 10),
                                                         repeat(kHold, 10),
                                                         repeat(kAction, 9),
                                                         {kHold}});
        QCOMPARE(hex({sent.begin() + first, sent.begin() + first + long(expected.size())}),
                 hex(expected));
        QCOMPARE(countOf(sent, kAction), 28);
        QCOMPARE(ecu->iscClears(), 1);
        QVERIFY(waitUntil([&] { return probe.cell(row, 3) == "0"; }, kCeiling));
    }

    void faultHistoryIsExplained()
    {
        struct Case {
            int raw;
            QString info;
        };
        const QString heading = "Info: History kode kesalahan";
        const Case cases[] = {
            {0x0c, heading + "\nError pada sensor posisi crankshaft(CKPS)"},
            {0x00, heading},
            {0x4f, heading + "\nError pada TPS atau ISC(volume udara masuk terlalu banyak)"},
            {0x64, heading}, // 100: beyond the catalogue
            {0xff, heading},
            {0x3d, heading + "\nError pada ISC"},
        };
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 61));
        const int row = rowOf(probe, 61);
        for (const Case &c : cases) {
            ecu->setRaw(61, c.raw);
            const QString value = QString::number(c.raw);
            QVERIFY2(waitUntil(
                         [&] {
                return probe.cell(row, 3) == value && probe.infoLabel()->text() == c.info;
            }, kCeiling),
                     qPrintable(probe.cell(row, 3) + " / " + probe.infoLabel()->text()));
        }
        QVERIFY(!probe.actionButton()->isEnabled());
    }

    void clearingStoredCodes()
    {
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 62));
        const int row = rowOf(probe, 62);
        QCOMPARE(probe.cell(row, 3), QString("2"));
        QCOMPARE(probe.infoLabel()->text(),
                 QString("Info: Jumlah kode kesalahan(tekan tombol action untuk menghapus)"));
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return probe.actionStep() == 0; }, kCeiling));
        QVERIFY(waitUntil([&] { return probe.cell(row, 3) == "0"; }, kCeiling));
        QCOMPARE(ecu->storedCodesClears(), 1);
        QCOMPARE(ecu->raw(62), 0);
    }

    void checkWaitsUntilTheEcuStandsOnItsRow()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        const std::size_t mark = sentCount();
        probe.clickRow(rowOf(probe, 36));
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return probe.actionStep() == 0; }, kCeiling));
        QCOMPARE(ecu->actionKeys(36), 9);
        QCOMPARE(ecu->currentCode(), 36);
        const std::vector<std::uint8_t> sent = sentSince(mark);
        const int firstAction = find(sent, kAction);
        QCOMPARE(countOf({sent.begin(), sent.begin() + firstAction}, kUp), rowOf(probe, 36));
        QCOMPARE(countOf({sent.begin() + firstAction, sent.end()}, kUp), 0);
    }

    void clickDuringCheckKeepsValuesInTheirRows()
    {
        LogCapture log;
        sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        config.codeEveryMs = 150; // the code shows up during the check, too
        auto ecu = seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 31));
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return probe.actionStep() >= 3; }, kCeiling));
        const int volt = rowOf(probe, 9);
        probe.clickRow(volt); // back up the list while the coil is checked
        QVERIFY(waitUntil([&] { return probe.actionStep() == 0; }, kCeiling));
        QVERIFY(waitUntil([&] { return probe.cell(volt, 3) == "13.5"; }, kCeiling));
        QCOMPARE(ecu->currentCode(), 9);
        QCOMPARE(ecu->actionKeys(31), 9);
        QCOMPARE(probe.rowCodes().value(probe.ecuRow()), 9);
        // a few more readings, then every value is its own item's
        const int more = log.texts().size() + 20;
        QVERIFY(waitUntil([&] { return log.texts().size() > more; }, kCeiling));
        for (int row = 0; row < probe.table()->rowCount(); ++row) {
            const QString shown = probe.cell(row, 3);
            if (shown.isEmpty())
                continue;
            const int code = probe.rowCodes().value(row);
            QCOMPARE(shown, DiagValue::convert(code, ecu->raw(code)));
        }
    }

    void longCheckEndsAfterAClickElsewhere()
    {
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 67));
        const std::size_t mark = sentCount();
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return probe.actionStep() >= 15; }, kCeiling));
        probe.clickRow(rowOf(probe, 70));
        QVERIFY(waitUntil([&] { return probe.actionStep() == 0; }, kCeiling));
        QVERIFY(waitUntil([&] { return ecu->currentCode() == 70; }, kCeiling));
        QCOMPARE(countOf(sentSince(mark), kAction), 28);
        QCOMPARE(ecu->iscClears(), 1);
        QVERIFY(!probe.actionCursor());
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestAutoActions)
#include "tst_autoactions.moc"

#include <cstdint>
