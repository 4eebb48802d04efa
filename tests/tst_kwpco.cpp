// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP CO cycle: its own login, engine speed in the CO window.
#include "kwpharness.h"

#include "virtualmain.h"
#include <QLCDNumber>
#include <QtTest>

using sim::KwpEcuConfig;
using sim::VirtualCable;

namespace {
int lcd(MainWindowProbe &probe)
{
    return probe.coWindow()->findChild<QLCDNumber *>("lcdNumber_rpm")->intValue();
}

// Runs the modal CO window; `step` is called every few milliseconds while it
// is open and closes it by returning true (or a ceiling does).
void runCoWindow(KwpBench &bench, const std::function<bool()> &step, int ceilingMs = 40000)
{
    CableClock clock;
    clock.start();
    Watcher watch([&] {
        if (!bench.probe.coWindow()->isVisible())
            return false;
        if (!step() && clock.elapsed() < ceilingMs)
            return false;
        bench.probe.coWindow()->done(0);
        return true;
    });
    QVERIFY(bench.waitLogged("Connected.", 5000));
    bench.probe.coButton()->click(); // returns when the window closes
}
} // namespace

class TestKwpCo : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void loginStopsAtTheFirstReportThenSpeedFollows()
    {
        KwpBench bench;
        int stage = 0;
        QList<int> shown;
        QStringList statuses;
        runCoWindow(bench, [&] {
            if (stage == 0 && bench.log.contains("rpm: 1500")) {
                shown << lcd(bench.probe);
                statuses << bench.probe.status();
                bench.ecu->config().rpm = 0x050C;
                stage = 1;
            } else if (stage == 1 && bench.log.contains("rpm: 1292")) {
                shown << lcd(bench.probe);
                bench.ecu->config().engineRunning = false;
                stage = 2;
            } else if (stage == 2 && bench.probe.status() == "Connected-Engine Off") {
                shown << lcd(bench.probe) << bench.probe.rpm() << bench.probe.sessionState();
                bench.ecu->config().engineRunning = true;
                stage = 3;
            } else if (stage == 3 && bench.probe.status() == "Connected-Engine On") {
                shown << lcd(bench.probe);
                return true;
            }
            return false;
        });
        QCOMPARE(stage, 3);
        QCOMPARE(shown, QList<int>({1500, 1292, 0, 0, 1, 1292}));
        QCOMPARE(statuses, QStringList({"Connected-Engine On"}));
        QCOMPARE(bench.log.count("found rpm"), 1);
        QVERIFY(
            bench.log.anyStartsWith("read co9: 83,10,f0,31,70,ca,ee,87,f0,10,71,70,c8,0,0,5,dc,"));
        QVERIFY(!bench.log.anyStartsWith("read co10:"));
        QVERIFY(
            bench.log.anyStartsWith("read co rpm: 83,10,f0,31,70,ca,ee,85,f0,10,71,70,c8,0,0,"));
        QVERIFY(bench.log.contains("logiiin"));
        QCOMPARE(bench.probe.status(), QString("Connected-Engine Off"));

        // Back in the table view with the session up but no table: log in again.
        QVERIFY(bench.waitLogged("login xmax"));
        QVERIFY(bench.waitPolling());
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61", "62"}));
        QVERIFY(!bench.ecu->coMode());
    }

    void reportOnTheFirstHoldEndsTheLoginThere()
    {
        KwpEcuConfig config;
        config.coEntryActions = 0;
        config.rpm = 1500;
        KwpBench bench(config);
        runCoWindow(bench, [&] { return bench.log.contains("rpm: 1500"); });
        QVERIFY(bench.log.contains("rpm: 1500"));
        const int found = bench.log.indexOf("found rpm");
        QVERIFY(found > 0);
        QVERIFY(bench.log.texts().value(found - 2).startsWith("read co5: "));
        QVERIFY(!bench.log.anyStartsWith("read co6:"));
    }

    void unansweredCoLoginWalksItsOwnPulse()
    {
        KwpEcuConfig config;
        config.pulseMinMs = 5;
        config.pulseMaxMs = 10;
        KwpBench bench(config);
        int interval = 0;
        QString status;
        runCoWindow(bench, [&] {
            if (!bench.log.contains("ecu disconnected 0"))
                return false;
            interval = bench.probe.pollTimer()->interval();
            status = bench.probe.status();
            return true;
        });
        QVERIFY(bench.log.contains("login ms= 24"));
        QCOMPARE(bench.probe.kwpCoPulseMs(), 24);
        QCOMPARE(bench.probe.kwpPulseMs(), 25);
        QCOMPARE(interval, 1000);
        QCOMPARE(status, QString("Connecting......"));
    }

    void cylinderRequestKeepsReading()
    {
        KwpBench bench;
        int stage = 0, reads = 0, state = -1;
        runCoWindow(bench, [&] {
            if (stage == 0 && bench.log.contains("rpm: 1500")) {
                emit bench.probe.coWindow()->cylChanged(1);
                reads = bench.log.count("rpm: 1500");
                stage = 1;
            }
            state = bench.probe.sessionState();
            return stage == 1 && bench.log.count("rpm: 1500") >= reads + 2;
        });
        QCOMPARE(stage, 1);
        QVERIFY(bench.log.contains("cyl...................... 1"));
        QCOMPARE(state, 1);
        QCOMPARE(bench.log.count("found rpm"), 1);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestKwpCo)
#include "tst_kwpco.moc"
