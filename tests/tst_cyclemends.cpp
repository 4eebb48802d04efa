// SPDX-License-Identifier: GPL-3.0-or-later
// Faults a mechanic would see across the protocol cycles, and their mends:
// values that must stay in their own rows, the Auto pace after a visit to
// Xmax, and CO keys that must not start a second tick inside a running one.
#include "kwpharness.h"
#include "tst_autobench.h"

#include "virtualmain.h"
#include <QtTest>

using namespace autobench;

namespace {
// An ECU whose list holds an item the catalogue does not know (0x96).
sim::AutoEcuConfig withUnlistedItem()
{
    sim::AutoEcuConfig c = sim::AutoEcuConfig::vixion();
    c.items = {1, 3, 0x96, 5, 6, 9, 11, 20};
    c.raw = {{1, 0x40}, {3, 0xcb}, {0x96, 0x77}, {5, 0x50},
             {6, 0x6e}, {9, 0xb4}, {11, 0x74},   {20, 0x01}};
    return c;
}

// Start times of every complete copy of `frame` in what the tool sent.
std::vector<sim::Nanos> frameStarts(const std::vector<std::uint8_t> &frame)
{
    std::vector<sim::Nanos> starts;
    const auto &tx = sim::VirtualCable::instance().transmitted();
    for (std::size_t i = 0; i + frame.size() <= tx.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < frame.size() && match; ++k)
            match = tx[i + k].value == frame[k];
        if (match)
            starts.push_back(tx[i].writtenAt);
    }
    return starts;
}
} // namespace

class TestCycleMends : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetCable(); }

    // An item the catalogue does not know keeps its row, so the rows behind
    // it stay where the ECU has them and each gets its own item's value.
    void autoValuesStayInTheirRowsPastAnUnlistedItem()
    {
        auto ecu = seat(withUnlistedItem());
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 8));
        QCOMPARE(column(probe, 1), QStringList({"1", "3", "150", "5", "6", "9", "11", "20"}));
        for (int code : {9, 20, 150, 5, 11}) {
            QVERIFY2(selectAndRead(probe, *ecu, code), qPrintable(QString::number(code)));
            const QString expected =
                probe.convert(QString::number(code), QString::number(ecu->raw(code), 16));
            QCOMPARE(probe.cell(rowOf(probe, code), 3), expected);
        }
        // Every value shown belongs to its row's item.
        for (int row = 0; row < probe.table()->rowCount(); ++row) {
            const QString shown = probe.cell(row, 3);
            if (shown.isEmpty())
                continue;
            const int code = probe.rowCodes().value(row);
            QCOMPARE(shown,
                     probe.convert(QString::number(code), QString::number(ecu->raw(code), 16)));
        }
    }

    // A visit to Xmax that ended in a lost KWP login left the timer at its
    // long pause; back on Auto the cycle keeps its own pace and the table
    // fills again.
    void autoPollsAtItsPaceAfterAVisitToXmax()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        const std::size_t switched = sentCount();
        probe.typeBox()->setCurrentIndex(1);
        // The Auto session does not carry over: Xmax logs in first.
        QVERIFY(log.waitFor("login xmax", kCeiling));
        QVERIFY(log.waitFor("ecu disconnected 0", kCeiling));
        const auto &tx = sim::VirtualCable::instance().transmitted();
        for (std::size_t i = switched; i < tx.size(); ++i)
            QCOMPARE(tx[i].baud, 10399);
        QCOMPARE(probe.pollTimer()->interval(), 1000);
        QCOMPARE(probe.table()->rowCount(), 0);

        probe.typeBox()->setCurrentIndex(0);
        QCOMPARE(probe.pollTimer()->interval(), 30);
        QCOMPARE(sim::VirtualCable::instance().line().baud, 15625);
        const std::size_t before = sentCount();
        CableClock clock;
        clock.start();
        QVERIFY(waitUntil([&] { return sentCount() >= before + 20; }, kCeiling));
        // At the long pause twenty ticks would take twenty seconds.
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(column(probe, 1), textsOf(sim::AutoEcuConfig::vixion().items));
    }

    // Up pressed in the middle of a KWP CO reading restarts the poll timer;
    // its next expiry must not send a second reading while the first one
    // still waits for its answer.
    void kwpCoKeysNeverOverlapATick()
    {
        sim::KwpEcuConfig config;
        config.coEntryActions = 0;
        KwpBench bench(config);
        QVERIFY(bench.waitLogged("Connected.", 5000));
        const std::vector<std::uint8_t> hold = frameBytes(KwpFrames::Hold);
        int presses = 0;
        std::size_t seen = 0;
        std::size_t readingsAfter = 0;
        Watcher watch([&] {
            auto *dialog = bench.probe.coWindow();
            if (!dialog->isVisible() || bench.probe.sessionState() != SessionState::Up)
                return false;
            const auto &tx = sim::VirtualCable::instance().transmitted();
            // Press right after a reading went out, inside the tick's wait.
            if (tx.size() != seen && !tx.empty() && tx.back().value == hold.back()) {
                seen = tx.size();
                if (presses < 5) {
                    ++presses;
                    coButton(bench.probe, "pushButton_up")->click();
                }
            }
            if (presses < 5)
                return false;
            // A little longer: an overlapping tick would come within 100 ms.
            if (readingsAfter == 0)
                readingsAfter = frameStarts(hold).size() + 2;
            if (frameStarts(hold).size() < readingsAfter)
                return false;
            dialog->done(0);
            return true;
        });
        bench.probe.coButton()->click();
        QCOMPARE(presses, 5);
        const std::vector<sim::Nanos> starts = frameStarts(hold);
        QVERIFY(starts.size() > 5);
        for (std::size_t i = 1; i < starts.size(); ++i) {
            const double gapMs = double(starts[i] - starts[i - 1]) / 1e6;
            QVERIFY2(gapMs >= 100.0, qPrintable(QString("readings %1 ms apart").arg(gapMs)));
        }
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestCycleMends)
#include "tst_cyclemends.moc"

#include <cstdint>
