// SPDX-License-Identifier: GPL-3.0-or-later
// Leaving the KWP family: "Auto" again gets its line speed and its pace back,
// also when chosen in the middle of a KWP tick.
#include "kwpharness.h"

#include "virtualmain.h"
#include <QtTest>

using sim::KwpEcuConfig;
using sim::VirtualCable;

namespace {
// Poll timer expiries during `ms`, whatever slot they run.
int ticksDuring(QTimer *timer, int ms)
{
    int ticks = 0;
    const QMetaObject::Connection c = QObject::connect(timer, &QTimer::timeout, [&] { ++ticks; });
    runFor(ms);
    QObject::disconnect(c);
    return ticks;
}

// Bytes written at the KWP line speed since `from`.
int kwpBytesSince(std::size_t from)
{
    const auto &tx = VirtualCable::instance().transmitted();
    int n = 0;
    for (std::size_t i = from; i < tx.size(); ++i)
        n += tx[i].baud == 10399;
    return n;
}

void checkAutoPace(KwpBench &bench)
{
    QCOMPARE(VirtualCable::instance().line().baud, 15625);
    QCOMPARE(bench.probe.pollTimer()->interval(), 30);
    QVERIFY(bench.probe.pollTimer()->isActive());
    // About every 30 ms: well above what 110 or 1000 ms would give.
    const int ticks = ticksDuring(bench.probe.pollTimer(), 900);
    QVERIFY2(ticks >= 15, qPrintable(QString::number(ticks)));
}
} // namespace

class TestKwpSwitch : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void autoAfterAKwpSessionGetsItsLineBack()
    {
        KwpBench bench;
        QVERIFY(bench.waitPolling());
        QCOMPARE(VirtualCable::instance().line().baud, 10399);
        QCOMPARE(bench.probe.pollTimer()->interval(), 110);
        bench.probe.typeBox()->setCurrentIndex(0);
        QCOMPARE(VirtualCable::instance().baudChanges().back().requested, 15630);
        const std::size_t from = VirtualCable::instance().transmitted().size();
        checkAutoPace(bench);
        QCOMPARE(kwpBytesSince(from), 0);
        QCOMPARE(bench.probe.vehicleType(), QString("auto"));
    }

    void autoChosenDuringAKwpLogin()
    {
        KwpBench bench(KwpEcuConfig(), false);
        QVERIFY(bench.waitLogged("Connected.", 5000));
        checkAutoPace(bench);
        bench.probe.typeBox()->setCurrentIndex(1);
        std::size_t switchedAt = 0;
        Watcher back([&] {
            if (!bench.log.anyStartsWith("read1: "))
                return false;
            bench.probe.typeBox()->setCurrentIndex(0); // inside the login tick
            switchedAt = VirtualCable::instance().transmitted().size();
            return true;
        });
        QVERIFY(waitUntil([&] { return back.done(); }, 20000));
        QVERIFY(waitUntil([&] { return bench.probe.pollTimer()->isActive(); }));
        checkAutoPace(bench);
        // The rest of the login was dropped, not sent into the void.
        QCOMPARE(kwpBytesSince(switchedAt), 0);
        QVERIFY(!bench.log.anyStartsWith("read2: "));
        QVERIFY(!bench.log.contains("ecu disconnected 0"));
        QCOMPARE(bench.probe.kwpPulseMs(), 25);
        QCOMPARE(bench.probe.sessionState(), SessionState::None);

        // And "Xmax" once more still reaches the KWP ECU.
        bench.probe.typeBox()->setCurrentIndex(1);
        QVERIFY(bench.waitPolling());
        QCOMPARE(bench.ecu->wakeUps(), 2);
    }

    void autoChosenWhileTheTimerWaitsASecond()
    {
        KwpEcuConfig config;
        config.pulseMinMs = 5;
        config.pulseMaxMs = 10;
        KwpBench bench(config);
        QVERIFY(bench.waitLogged("ecu disconnected 0"));
        QCOMPARE(bench.probe.pollTimer()->interval(), 1000);
        bench.probe.typeBox()->setCurrentIndex(0);
        checkAutoPace(bench);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestKwpSwitch)
#include "tst_kwpswitch.moc"
