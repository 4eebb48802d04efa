// SPDX-License-Identifier: GPL-3.0-or-later
// The wake-up pulse: the window's own login (send_clicked_xmax in state 0)
// run again and again against an ECU that answers only the first frame, so
// that each login ends early; after each, the same pulse timed with a sleep
// through the same link, as many tools time it, and spun all through (the
// way delay_login once waited).
#include "bench/families.h"
#include "bench/harness.h"
#include "bench/linelog.h"

#include "link/usbserial.h"
#include "sim/kwpecu.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <thread>

namespace bench {

namespace {
// Time this thread has spent runnable but not running, so far; NaN where
// the system does not say: on Windows, and under Wine too, where the
// server opens files and /proc/thread-self would be the server's thread.
double runQueueWaitMs()
{
#ifdef Q_OS_WIN
    return std::nan("");
#else
    std::ifstream in("/proc/thread-self/schedstat");
    double running = 0, waiting = 0;
    in >> running >> waiting;
    return waiting / kNsPerMs;
#endif
}

// Passes everything on to the ECU; notes the scheduler's wait at the baud
// change just before the window's pulse and when DTR goes high again.
class SchedulerTap : public sim::EcuModel
{
public:
    explicit SchedulerTap(std::shared_ptr<sim::EcuModel> ecu) : ecu_(std::move(ecu)) {}
    void onByte(sim::VirtualCable &c, std::uint8_t b, sim::Nanos at,
                const sim::LineState &line) override
    {
        ecu_->onByte(c, b, at, line);
    }
    void onDtr(sim::VirtualCable &c, bool level, sim::Nanos at) override
    {
        if (level)
            raisedWait = runQueueWaitMs();
        // A cable that hears its own wake-up pulse as a break: a 0x00 byte.
        if (level && breakByte && lowAt >= 0)
            c.ecuSend({0x00}, at - c.byteTimeNs());
        lowAt = level ? -1 : at;
        ecu_->onDtr(c, level, at);
    }
    bool breakByte = false;
    sim::Nanos lowAt = -1; // DTR went low here; -1: it is high
    void onBaud(sim::VirtualCable &c, int baud, sim::Nanos at) override
    {
        baudWait = runQueueWaitMs();
        ecu_->onBaud(c, baud, at);
    }
    double baudWait = 0, raisedWait = 0;

private:
    std::shared_ptr<sim::EcuModel> ecu_;
};

// Appends the width - asked of every pulse recorded since edge `from`.
void collect(std::vector<double> &into, std::size_t from, int askedMs)
{
    for (const Pulse &p : pulses(sim::VirtualCable::instance(), from))
        into.push_back(p.widthMs() - askedMs);
}

// From the end and from the start of the last pulse to the first byte
// written after it.
void collectStart(PulseResult &r, std::size_t fromEdge)
{
    const sim::VirtualCable &cable = sim::VirtualCable::instance();
    const std::vector<Pulse> window = pulses(cable, fromEdge);
    if (window.empty())
        return;
    const Pulse &p = window.back();
    for (const sim::TxByte &b : cable.transmitted()) {
        if (b.writtenAt >= p.high) {
            r.startAfterPulseMs.push_back(double(b.writtenAt - p.high) / kNsPerMs);
            r.wakeUpPatternMs.push_back(double(b.writtenAt - p.low) / kNsPerMs);
            return;
        }
    }
}

// The pulse timed by a sleep; returns the scheduler's wait during it.
double sleepPulse(UsbSerial &link, int ms)
{
    const double before = runQueueWaitMs();
    link.writeDataBit(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    link.writeDataBit(1);
    return runQueueWaitMs() - before;
}
double spinPulse(UsbSerial &link, int ms)
{
    const double before = runQueueWaitMs();
    link.writeDataBit(0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
    }
    link.writeDataBit(1);
    return runQueueWaitMs() - before;
}
} // namespace

PulseResult runPulses(int logins)
{
    PulseResult r;
    auto ecu = std::make_shared<sim::KwpEcu>();
    ecu->injectFault(sim::KwpRequest::StartSession, sim::KwpFault::Silence, -1);
    auto tap = std::make_shared<SchedulerTap>(ecu);
    Bench bench(tap, true);
    if (!bench.waitConnected())
        return r;
    const auto &edges = sim::VirtualCable::instance().dtrEdges();
    for (int i = 0; i < logins; ++i) {
        bench.probe.pollTimer()->stop();
        bench.probe.setSessionState(SessionState::None);
        const int asked = bench.probe.kwpCycle()->pulseMs();
        std::size_t from = edges.size();
        QMetaObject::invokeMethod(&bench.window, "send_clicked_xmax", Qt::DirectConnection);
        bench.probe.pollTimer()->stop();
        collect(r.windowErrorMs, from, asked);
        collectStart(r, from);
        r.windowWaitMs.push_back(tap->raisedWait - tap->baudWait);
        from = edges.size();
        r.sleepWaitMs.push_back(sleepPulse(*bench.probe.link(), asked));
        collect(r.sleepErrorMs, from, asked);
        from = edges.size();
        r.spinWaitMs.push_back(spinPulse(*bench.probe.link(), asked));
        collect(r.spinErrorMs, from, asked);
    }
    return r;
}

void runPulsesWithBreakByte(int logins, PulseResult &r)
{
    auto ecu = std::make_shared<sim::KwpEcu>();
    ecu->injectFault(sim::KwpRequest::StartSession, sim::KwpFault::Silence, -1);
    auto tap = std::make_shared<SchedulerTap>(ecu);
    tap->breakByte = true;
    Bench bench(tap, true);
    if (!bench.waitConnected())
        return;
    const auto &edges = sim::VirtualCable::instance().dtrEdges();
    for (int i = 0; i < logins; ++i) {
        bench.probe.pollTimer()->stop();
        bench.probe.setSessionState(SessionState::None);
        const std::size_t from = edges.size();
        QMetaObject::invokeMethod(&bench.window, "send_clicked_xmax", Qt::DirectConnection);
        bench.probe.pollTimer()->stop();
        PulseResult one;
        collectStart(one, from);
        r.startWithByteMs.insert(r.startWithByteMs.end(), one.startAfterPulseMs.begin(),
                                 one.startAfterPulseMs.end());
        r.wakeUpWithByteMs.insert(r.wakeUpWithByteMs.end(), one.wakeUpPatternMs.begin(),
                                  one.wakeUpPatternMs.end());
    }
}

} // namespace bench
