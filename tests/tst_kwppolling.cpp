// SPDX-License-Identifier: GPL-3.0-or-later
// KWP polling: following the selected row, values, actuator checks, and the
// ways a polling session ends.
#include "kwpharness.h"

#include "virtualmain.h"
#include <QGuiApplication>
#include <QtTest>

using sim::KwpEcuConfig;
using sim::KwpFault;
using sim::KwpRequest;
using sim::VirtualCable;

namespace {
KwpEcuConfig fourItems()
{
    KwpEcuConfig config;
    config.items = {{1, 0x20}, {3, 0x30}, {5, 0x50}, {6, 0x60}};
    return config;
}

int countFrom(const LogCapture &log, int from, const QString &prefix)
{
    int n = 0;
    const QStringList texts = log.texts();
    for (int i = from; i < texts.size(); ++i)
        n += texts[i].startsWith(prefix);
    return n;
}

const QString kUpEcho = "1:83,10,f0,31,70,cb,ef,";
const QString kDownEcho = "1:83,10,f0,31,70,cc,f0,";
} // namespace

class TestKwpPolling : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void selectedRowGetsItsValue()
    {
        KwpBench bench(fourItems());
        QVERIFY(bench.waitPolling());
        QCOMPARE(bench.column(1), QStringList({"1", "3", "5", "6", "61", "62"}));
        const QString first = bench.window.convertdiagval("1", "20");
        QVERIFY(waitUntil([&] { return bench.probe.cell(0, 3) == first; }));

        const int from = bench.log.texts().size();
        bench.probe.clickRow(3);
        QVERIFY(QGuiApplication::overrideCursor());
        int upsWhenWritten = -1;
        Watcher watch([&] {
            if (bench.probe.cell(3, 3).isEmpty())
                return false;
            upsWhenWritten = countFrom(bench.log, from, kUpEcho);
            return true;
        });
        const QString value = bench.window.convertdiagval("6", "60");
        QVERIFY(waitUntil([&] { return watch.done(); }));
        QCOMPARE(bench.probe.cell(3, 3), value);
        QCOMPARE(upsWhenWritten, 3); // written on the third tick that moved
        QCOMPARE(countFrom(bench.log, from, "up"), 3);
        QCOMPARE(countFrom(bench.log, from, "next/prev"), 3);
        QCOMPARE(bench.ecu->pointerCode(), 6);
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(!bench.probe.selectionPending());

        // The value follows the ECU.
        bench.ecu->config().items[3].raw = 0x75;
        const QString changed = bench.window.convertdiagval("6", "75");
        QVERIFY(waitUntil([&] { return bench.probe.cell(3, 3) == changed; }));

        // And back down to row 1.
        const int back = bench.log.texts().size();
        bench.probe.clickRow(1);
        const QString item3 = bench.window.convertdiagval("3", "30");
        QVERIFY(waitUntil([&] { return bench.probe.cell(1, 3) == item3; }));
        QCOMPARE(countFrom(bench.log, back, "down"), 2);
        QCOMPARE(countFrom(bench.log, back, kDownEcho), 2);
        QCOMPARE(countFrom(bench.log, back, "up"), 0);
        QCOMPARE(bench.ecu->pointerCode(), 3);
    }

    void actionWaitsForThePointerThenChecks()
    {
        KwpEcuConfig config;
        config.items = {{1, 0x20}, {30, 0x00, true}};
        config.actuatorMs = 900;
        KwpBench bench(config);
        QVERIFY(bench.waitPolling());
        QVERIFY(!bench.probe.checkLabel()->isEnabled());
        bench.probe.clickRow(1);
        QVERIFY(bench.probe.actionButton()->isEnabled());
        bench.probe.actionButton()->click(); // before the pointer got there
        bool sawChecking = false;
        Watcher watch([&] {
            sawChecking = sawChecking || bench.probe.checkLabel()->isEnabled();
            return sawChecking && !bench.probe.checkLabel()->isEnabled();
        });
        QVERIFY(waitUntil([&] { return watch.done(); }, 20000));
        QCOMPARE(bench.probe.actionStep(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
        // On the wire: the move first, then the check of item 30, which the
        // ECU accepted (it refuses checks of items that are no actuator).
        const auto &heard = bench.ecu->heard();
        int up = -1, action = -1;
        for (std::size_t i = 0; i < heard.size(); ++i) {
            if (heard[i].request == KwpRequest::Up && up < 0)
                up = int(i);
            if (heard[i].request == KwpRequest::Action)
                action = int(i); // the last one: the login has one too
        }
        QVERIFY(up >= 0 && action > up);
        QCOMPARE(bench.ecu->heardCount(KwpRequest::Action), 2);
        QVERIFY(bench.log.anyStartsWith("1:84,10,f0,31,70,ce,8,fb,84,f0,10,71,70,ce,8,"));
    }

    void actionForARowLeftBehindIsDropped()
    {
        KwpEcuConfig config;
        config.items = {{1, 0x20}, {30, 0x00, true}};
        KwpBench bench(config);
        QVERIFY(bench.waitPolling());
        bench.probe.clickRow(1);
        bench.probe.actionButton()->click();
        bench.probe.clickRow(0); // before the pointer reached the coil
        QVERIFY(!bench.probe.actionButton()->isEnabled());
        QVERIFY(waitUntil([&] { return bench.probe.actionStep() == 0; }));
        const int from = bench.log.texts().size();
        QVERIFY(waitUntil([&] { return countFrom(bench.log, from, "2:") >= 4; }));
        QCOMPARE(bench.ecu->heardCount(KwpRequest::Action), 1); // the login's only
        QVERIFY(!bench.probe.checkLabel()->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void echoOnlyEndsTheSessionAndTheEcuTimesOut()
    {
        KwpEcuConfig config = fourItems();
        config.sessionTimeoutMs = 600;
        KwpBench bench(config);
        QVERIFY(bench.waitPolling());
        bench.probe.clickRow(2); // a wait cursor is up while the walk goes on
        QVERIFY(QGuiApplication::overrideCursor());
        // Nothing asks the ECU for a while: its session is over.
        bench.probe.pollTimer()->stop();
        runFor(800);
        bench.probe.pollTimer()->start(110);
        QVERIFY(bench.waitLogged("ecu disconnected 1"));
        QVERIFY(bench.log.contains("2:83,10,f0,31,70,ca,ee"));
        QCOMPARE(bench.probe.status(), QString("Connected-Engine Off"));
        QCOMPARE(bench.probe.pollTimer()->interval(), 1000);
        QCOMPARE(bench.probe.sessionState(), SessionState::None);
        QCOMPARE(bench.probe.table()->rowCount(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
        // The next login wakes it again.
        QVERIFY(waitUntil([&] { return bench.logged("add table finished") == 2; }, 30000));
        QCOMPARE(bench.ecu->wakeUps(), 2);
        QCOMPARE(bench.column(1), QStringList({"1", "3", "5", "6", "61", "62"}));
    }

    void nothingReceivedLogsInAgainWithoutPause()
    {
        KwpBench bench;
        QVERIFY(bench.waitPolling());
        const int holds = bench.ecu->heardCount(KwpRequest::Hold);
        Watcher pull([&] {
            if (bench.ecu->heardCount(KwpRequest::Hold) == holds)
                return false;
            VirtualCable::instance().unplug(); // the answer never arrives
            return true;
        });
        QVERIFY(bench.waitLogged("2:"));
        QCOMPARE(bench.probe.sessionState(), SessionState::None);
        QCOMPARE(bench.probe.status(), QString("Connected-Engine Off"));
        QCOMPARE(bench.probe.pollTimer()->interval(), 110);
        QVERIFY(!bench.log.contains("ecu disconnected 1"));
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61", "62"}));
        VirtualCable::instance().plug();
        QVERIFY(waitUntil([&] { return bench.logged("add table finished") == 2; }, 40000));
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61", "62"}));
    }

    void rowWithoutEntryWritesNoCell()
    {
        KwpBench bench;
        QVERIFY(bench.waitPolling());
        const QString first = bench.window.convertdiagval("1", "20");
        QVERIFY(waitUntil([&] { return bench.probe.cell(0, 3) == first; }));
        // The ECU reports another item than the selected row's: nothing is written.
        bench.ecu->config().items[0].raw = 0x21;
        bench.ecu->setPointer(1);
        const int before = bench.log.texts().size();
        QVERIFY(waitUntil([&] { return countFrom(bench.log, before, "2:") >= 3; }));
        QCOMPARE(bench.probe.cell(0, 3), first);
        QVERIFY(bench.probe.cell(1, 3).isEmpty());
        bench.ecu->setPointer(0);

        bench.probe.walk().select(9); // a row beyond the table: nowhere to walk
        const int later = bench.log.texts().size();
        QVERIFY(waitUntil([&] { return countFrom(bench.log, later, "2:") >= 3; }));
        QCOMPARE(countFrom(bench.log, later, "up"), 0);
        QCOMPARE(bench.probe.table()->rowCount(), 5);
        QCOMPARE(bench.probe.sessionState(), SessionState::Up);
    }

    void emptyTableLogsInAgain()
    {
        KwpBench bench;
        QVERIFY(bench.waitPolling());
        bench.probe.clearTable(); // what opening the CO window does
        QVERIFY(waitUntil([&] { return bench.logged("login xmax") == 2; }));
        QVERIFY(bench.waitPolling());
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61", "62"}));
    }

    // The cylinder box means nothing to the KWP cycles: the request is
    // logged and the session goes on as it was.
    void cylinderRequestChangesNothing()
    {
        KwpBench bench;
        QVERIFY(bench.waitLogged("Connected.", 5000));
        emit bench.probe.coWindow()->cylChanged(1); // before any session
        QCOMPARE(bench.probe.sessionState(), SessionState::None);
        QVERIFY(bench.waitLogged("login xmax"));
        QVERIFY(bench.waitPolling());
        emit bench.probe.coWindow()->cylChanged(0); // during polling
        QCOMPARE(bench.probe.sessionState(), SessionState::Up);
        QCOMPARE(bench.logged("cyl...................... 0"), 1);
        const int from = bench.log.texts().size();
        QVERIFY(waitUntil([&] { return countFrom(bench.log, from, "2:") >= 2; }));
        QCOMPARE(bench.probe.sessionState(), SessionState::Up);
        QCOMPARE(bench.logged("login xmax"), 1);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestKwpPolling)
#include "tst_kwppolling.moc"
