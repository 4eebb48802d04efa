// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP cycles as reply -> request scripts: which answer, in which state,
// asks for which frames next, and what the window must show.
#include "support/kwpscript.h"

#include <QtTest>

using namespace kwpscript;

namespace {
const QList<QString> kNoFaultTexts;
const QString kLogin =
    "StartComm StartSession ReadLocalIdFE StartSession RoutineCE20 Hold "
    "Action Hold";

QString sentOf(const Seen &seen)
{
    return seen.sent.join(' ');
}
} // namespace

class TestKwpCycle : public QObject
{
    Q_OBJECT
private slots:
    // The wake-up, the eight login frames, and where the ECU's pointer
    // stands decides between the scan and the search for item 1.
    void loginFindsThePointer_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("state");
        QTest::newRow("on item 1: the scan") << 1 << int(KwpCycle::State::Scan);
        QTest::newRow("elsewhere: the search") << 5 << int(KwpCycle::State::Search);
    }
    void loginFindsThePointer()
    {
        QFETCH(int, code);
        QFETCH(int, state);
        KwpCycle cycle(25, kNoFaultTexts);
        const Seen seen = tick(cycle, answering(code));
        QCOMPARE(sentOf(seen), "pulse 25 " + kLogin);
        QCOMPARE(int(cycle.state()), state);
        QCOMPARE(seen.status, QString("Connected-Engine On"));
        QCOMPARE(seen.timerMs, 110);
    }

    // An unanswered first frame: the next wake-up pulse is 1 ms shorter,
    // 20 ms is followed by 25 again; the session is dropped for a second.
    void unansweredLoginShortensThePulse_data()
    {
        QTest::addColumn<int>("pulse");
        QTest::addColumn<int>("next");
        QTest::newRow("25") << 25 << 24;
        QTest::newRow("20") << 20 << 25;
    }
    void unansweredLoginShortensThePulse()
    {
        QFETCH(int, pulse);
        QFETCH(int, next);
        KwpCycle cycle(pulse, kNoFaultTexts, ItemWalk({1, 3}, 0, 0));
        const Seen seen = tick(cycle, [](const KwpFrame &) { return QString(); });
        QCOMPARE(sentOf(seen), QString("pulse %1 StartComm").arg(pulse));
        QCOMPARE(cycle.pulseMs(), next);
        QCOMPARE(seen.status, QString("Connecting......"));
        QCOMPARE(seen.timerMs, 1000);
        QVERIFY(seen.cleared);
        QCOMPARE(cycle.state(), int(KwpCycle::State::Login));
    }

    // The search steps the pointer to item 1; the scan then lists the items
    // until item 1 comes back twice, which adds the fault-code rows.
    void searchAndScanBuildTheTable()
    {
        const QList<int> items = {1, 3, 5};
        int at = 2; // the ECU's pointer stands on item 5
        const Ecu ecu = [&](const KwpFrame &frame) {
            if (frame == KwpFrames::Up) {
                at = (at + 1) % items.size();
                return report(items[at], 0, 0xD0);
            }
            return frame == KwpFrames::Hold ? report(items[at], 0x20) : positive(frame, "70");
        };
        KwpCycle cycle(25, kNoFaultTexts);
        QString steps;
        QList<int> rows;
        for (int i = 0; i < 12 && cycle.state() != int(KwpCycle::State::Polling); ++i) {
            const Seen seen = tick(cycle, ecu);
            if (seen.cleared)
                rows.clear();
            rows << seen.rows;
            steps += (i ? " | " : "") + sentOf(seen);
        }
        QCOMPARE(steps, "pulse 25 " + kLogin
                            + " | Hold Up | Hold | Hold Up | Hold Up | Hold Up | Hold | Hold");
        QCOMPARE(rows, QList<int>({1, 3, 5, 61, 62}));
        QCOMPARE(cycle.state(), int(KwpCycle::State::Polling));
        QVERIFY(cycle.items().pointer().standsOn(0));
    }

    // Polling moves the pointer one row per tick, the move first, then the
    // reading; the value is written once the ECU reports the row's own item.
    void pollingMovesThenReads()
    {
        KwpCycle cycle(25, kNoFaultTexts);
        startPolling(cycle, {1, 3, 5});
        int code = 1;
        cycle.select(2);
        Seen seen = tick(cycle, [&](const KwpFrame &frame) {
            code = frame == KwpFrames::Up ? 3 : code;
            return frame == KwpFrames::Hold ? report(code, 0x47) : positive(frame, "70");
        });
        QCOMPARE(sentOf(seen), QString("Up Hold"));
        QCOMPARE(seen.valueRow, -1); // row 1's item: not the selected row's
        seen = tick(cycle, [&](const KwpFrame &frame) {
            code = frame == KwpFrames::Up ? 5 : code;
            return frame == KwpFrames::Hold ? report(code, 0x47) : positive(frame, "70");
        });
        QCOMPARE(sentOf(seen), QString("Up Hold"));
        QCOMPARE(seen.valueRow, 2);
        QCOMPARE(seen.value, QString("41")); // item 5: raw - 30
        QCOMPARE(sentOf(tick(cycle, answering(code))), QString("Hold"));
    }

    // A move the ECU refused may or may not have happened: rather than
    // place a report, the cycle logs in again.
    void refusedMoveStartsOver()
    {
        KwpCycle cycle(25, kNoFaultTexts);
        startPolling(cycle, {1, 3, 5});
        cycle.select(1);
        const Seen seen = tick(cycle, [](const KwpFrame &frame) {
            return frame == KwpFrames::Up ? QString("83,f0,10,7f,31,22,0") : report(3, 0);
        });
        QCOMPARE(sentOf(seen), QString("Up Hold"));
        QCOMPARE(cycle.state(), int(KwpCycle::State::Login));
    }

    // The check goes out only once the ECU has reported the pressed row;
    // the clear of a fault-code row needs no pointer and goes out once.
    void pressesGoOutOnce_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("ticks");
        QTest::newRow("check on item 30") << 1 << "Up Hold | Action Hold | Hold";
        QTest::newRow("clear on row 61")
            << 3 << "ClearDtc ReadDtcHistory | TesterPresent ReadDtcHistory";
        QTest::newRow("clear on row 62")
            << 4 << "ClearDtc ReadDtcCurrent | TesterPresent ReadDtcCurrent";
    }
    void pressesGoOutOnce()
    {
        QFETCH(int, row);
        QFETCH(QString, ticks);
        KwpCycle cycle(25, kNoFaultTexts);
        startPolling(cycle, {1, 30, 5});
        int code = 1;
        const Ecu ecu = [&](const KwpFrame &frame) {
            code = frame == KwpFrames::Up ? 30 : code;
            return frame == KwpFrames::Hold ? report(code, 0) : positive(frame, "0");
        };
        cycle.select(row);
        QVERIFY(cycle.press());
        QStringList seen;
        bool cleared = false;
        for (int i = 0; i < ticks.count('|') + 1; ++i) {
            const Seen one = tick(cycle, ecu);
            seen << sentOf(one);
            cleared |= one.faultsCleared;
        }
        QCOMPARE(seen.join(" | "), ticks);
        QCOMPARE(cleared, ticks.contains("ClearDtc")); // for the report
        QVERIFY(!cycle.items().request().pending());
    }

    // A press belongs to the session that saw it: lost before it went out,
    // it is not carried out in the next session, even on the same row.
    void pressDoesNotOutliveItsSession()
    {
        KwpCycle cycle(25, kNoFaultTexts);
        startPolling(cycle, {1, 3});
        cycle.select(3); // row 62
        cycle.press();
        CycleAccess::enter(cycle, KwpCycle::State::Login); // the ECU went quiet
        CycleAccess::walk(cycle).clear();                  // the next scan
        startPolling(cycle, {1, 3});
        cycle.select(3);
        const Seen seen = tick(cycle, answering(1));
        QCOMPARE(sentOf(seen), QString("TesterPresent ReadDtcCurrent"));
    }

    // --- the CO cycle ---

    // Its login stops at the first answer in CO mode; each reading then
    // shows the engine speed, a CO key going out alone before it.
    void coLoginThenReadings()
    {
        KwpCoCycle cycle(25);
        int answered = 0;
        Seen seen = tick(cycle, [&](const KwpFrame &frame) {
            ++answered;
            return answered == 7 ? positive(frame, "70,c8,0,0,5,dc,0") : positive(frame, "70");
        });
        QCOMPARE(sentOf(seen), QString("pulse 25 StartComm StartSession ReadLocalIdFE "
                                       "StartSession RoutineCE20 Hold Up"));
        QCOMPARE(cycle.state(), int(KwpCoCycle::State::Reading));
        QCOMPARE(seen.status, QString("Connected-Engine On"));
        QCOMPARE(seen.rpm, -1);
        QVERIFY(cycle.key(AutoKey::Up));
        seen =
            tick(cycle, [](const KwpFrame &frame) { return positive(frame, "70,c8,0,0,5,c,0"); });
        QCOMPARE(sentOf(seen), QString("key cb Hold"));
        QCOMPARE(seen.rpm, 1292); // 0x050C
        QCOMPARE(seen.timerMs, 110);
        seen = tick(cycle, [](const KwpFrame &frame) { return positive(frame, "70,c8,0"); });
        QCOMPARE(seen.status, QString("Connected-Engine Off")); // too short to carry the speed
        seen = tick(cycle, [](const KwpFrame &) { return QString(); });
        QCOMPARE(seen.status, QString("Connecting......"));
        QCOMPARE(seen.timerMs, 1000);
        QCOMPARE(cycle.state(), int(KwpCoCycle::State::Login));
    }
};

QTEST_APPLESS_MAIN(TestKwpCycle)
#include "tst_kwpcycle.moc"
