// SPDX-License-Identifier: GPL-3.0-or-later
// Auto session over the simulated cable: the ECU follows the selected row
// one step per tick and the row shows its item's converted value.
#include "support/logcapture.h"
#include "tst_autobench.h"

#include "virtualmain.h"
#include <QtTest>

using namespace autobench;

class TestAutoSession : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetCable(); }

    void followsTheSelectedRow()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));

        // up to item 9, six rows below item 1
        std::size_t mark = sentCount();
        log.clear();
        const int volt = rowOf(probe, 9);
        QCOMPARE(volt, 6);
        probe.clickRow(volt);
        QVERIFY(probe.selectionCursor());
        QCOMPARE(probe.infoLabel()->text(), QString("Info: Voltase sistem bahan bakar"));
        QVERIFY(!probe.actionButton()->isEnabled());
        QVERIFY(waitUntil([&] { return !probe.cell(volt, 3).isEmpty(); }, kCeiling));
        QCOMPARE(ecu->currentCode(), 9);
        QCOMPARE(probe.cell(volt, 3), QString("13.5")); // raw b4
        QVERIFY(!probe.selectionCursor());
        QCOMPARE(log.count("up"), 6);
        QCOMPARE(log.count("down"), 0);
        std::vector<std::uint8_t> sent = sentSince(mark);
        QCOMPARE(countOf(sent, kUp), 6);
        const int firstUp = find(sent, kUp);
        QCOMPARE(hex({sent.begin() + firstUp, sent.begin() + firstUp + 6}), hex(repeat(kUp, 6)));
        QCOMPARE(ecu->movesHeard(), 24 + 6); // the scan, then the six
        QCOMPARE(probe.ecuRow(), volt);

        // the value follows the ECU
        ecu->setRaw(9, 0xaf);
        QVERIFY(waitUntil([&] { return probe.cell(volt, 3) == "13"; }, kCeiling));

        // down to item 3: five steps back
        mark = sentCount();
        log.clear();
        const int iaps = rowOf(probe, 3);
        probe.clickRow(iaps);
        QVERIFY(selectAndRead(probe, *ecu, 3));
        QCOMPARE(probe.cell(iaps, 3), QString("33")); // raw 43: (67 - 1) / 2
        QCOMPARE(log.count("down"), 5);
        QCOMPARE(log.count("up"), 0);
        sent = sentSince(mark);
        QCOMPARE(countOf(sent, kDown), 5);
        QCOMPARE(countOf(sent, kUp), 0);
        QCOMPARE(probe.cell(volt, 3), QString("13")); // the old row keeps its last value
    }

    void doubleClickStillMovesTheEcu()
    {
        // a double click reports the row twice; the ECU must still get there
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        const int row = rowOf(probe, 20);
        probe.clickRow(row);
        probe.clickRow(row);
        QVERIFY(waitUntil([&] { return !probe.cell(row, 3).isEmpty(); }, kCeiling));
        QCOMPARE(ecu->currentCode(), 20);
        QCOMPARE(probe.cell(row, 3), QString::number(ecu->raw(20)));
        // and half way there, a click on the next row
        const int far = rowOf(probe, 60);
        probe.clickRow(far);
        QVERIFY(waitUntil([&] { return log.count("up") >= 3; }, kCeiling));
        probe.clickRow(far + 1);
        QVERIFY(waitUntil([&] { return !probe.cell(far + 1, 3).isEmpty(); }, kCeiling));
        QCOMPARE(ecu->currentCode(), 61);
        QCOMPARE(probe.cell(far + 1, 3), QString("12"));
        QVERIFY(probe.cell(far, 3).isEmpty());
    }

    void valuesOfOtherItems()
    {
        struct Case {
            int code;
            int raw;
            const char *shown;
        };
        const Case cases[] = {{6, 0x6e, "80"},
                              {8, 0x7b, "2.4"},
                              {11, 0x00, "-30"},
                              {70, 0x11, "17"},
                              {1, 0xff, "127"}};
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        for (const Case &c : cases) {
            ecu->setRaw(c.code, c.raw);
            QVERIFY2(selectAndRead(probe, *ecu, c.code), c.shown);
            QVERIFY2(
                waitUntil([&] { return probe.cell(rowOf(probe, c.code), 3) == c.shown; }, kCeiling),
                qPrintable(probe.cell(rowOf(probe, c.code), 3)));
        }
    }

    void labelCheckFollowsTheStatusField()
    {
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 51));
        QVERIFY(!probe.checkLabel()->isEnabled());
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return probe.checkLabel()->isEnabled(); }, kCeiling));
        QVERIFY(waitUntil([&] { return !probe.checkLabel()->isEnabled(); }, kCeiling));
        QCOMPARE(probe.sessionState(), SessionState::Up);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestAutoSession)
#include "tst_autosession.moc"

#include <cstdint>
