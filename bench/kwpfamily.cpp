// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP family: an ECU of 25 items, woken, logged into and scanned by the
// window's own cycle, then one value polled.
#include "bench/families.h"
#include "bench/harness.h"
#include "bench/linelog.h"
#include "bench/pollphase.h"

#include "sim/kwpecu.h"

namespace bench {

namespace {
constexpr double kExchangeWaitMs = 110; // fixed wait of every exchange
constexpr double kSecondReadMs = 50;    // wait before the second read
constexpr double kAfterPulseMs = 25;    // wait between pulse and login
constexpr double kTimerMs = 110;        // gap between two ticks
constexpr int kKwpBaud = 10399;         // 10400 after the chip's rounding
constexpr int kItems = 25;
constexpr int kFaultRows = 2;
constexpr int kPolledRow = 3;

// The catalogued items of a vixion-like bike, and item 2 to make 25.
const int kCodes[kItems] = {1,  2,  3,  5,  6,  7,  8,  9,  11, 20, 21, 30, 31,
                            36, 37, 48, 50, 51, 52, 54, 60, 63, 67, 70, 87};

sim::KwpEcuConfig twentyFiveItems()
{
    sim::KwpEcuConfig c;
    c.items.clear();
    for (int code : kCodes)
        c.items.push_back({code, 0x40 + code, false, 0});
    c.startIndex = 0; // on item 1: no search before the scan
    return c;
}
} // namespace

TableResult runKwp(int pollSeconds)
{
    TableResult r;
    auto ecu = std::make_shared<sim::KwpEcu>(twentyFiveItems());
    Bench bench(ecu, true);
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    sim::Nanos tableEnd = 0;
    std::vector<sim::Nanos> tickEnds;
    int pulseMs = bench.probe.kwpCycle()->pulseMs();
    bench.onTick([&] {
        if (tableEnd != 0)
            return;
        tickEnds.push_back(sim::nowNs());
        if (bench.probe.sessionState() == SessionState::None)
            pulseMs = bench.probe.kwpCycle()->pulseMs(); // what the next login uses
        if (bench.probe.sessionState() == SessionState::Up && !cable.reads().empty())
            tableEnd = cable.reads().back().returnedAt;
    });
    if (!runEvents(60000, [&] { return tableEnd != 0; }) || pulses(cable).empty()) {
        r.failure = "KWP session never came up";
        return r;
    }
    r.rows = bench.probe.table()->rowCount();
    const sim::Nanos start = pulses(cable).back().low; // the login that worked
    for (sim::Nanos end : tickEnds)
        r.ticks += end > start ? 1 : 0;
    const LineSpan span = lineSpan(cable, start, tableEnd);
    r.exchanges = int(span.exchanges.size());
    r.tableOverrunMs = overrunsMs(span.exchanges, kExchangeWaitMs);
    r.tableReturnOverrunMs = returnOverrunsMs(span.exchanges, kExchangeWaitMs);
    const KwpLineTimes line = kwpLineTimes(cable, start, tableEnd);
    r.tableP3Ms = line.p3Ms;
    r.startAfterPulseMs = line.startAfterPulseMs;
    std::vector<sim::Nanos> scanTickEnds;
    for (sim::Nanos end : tickEnds) {
        if (end > start)
            scanTickEnds.push_back(end);
    }
    r.tableTickPeriodMs = periodsMs(scanTickEnds);
    r.measuredMs = double(tableEnd - start) / kNsPerMs;
    r.prescribedMs = pulseMs + kAfterPulseMs + r.exchanges * kExchangeWaitMs
                     + span.secondReads * kSecondReadMs + (r.ticks - 1) * kTimerMs;
    r.floorMs = wireMs(span.rxBytes, kKwpBaud);
    bench.onTick({});
    if (r.rows != kItems + kFaultRows || !bench.selectAndRead(kPolledRow)) {
        r.failure = "KWP table or polled value wrong";
        return r;
    }
    const std::size_t heardBefore = ecu->heard().size();
    const std::size_t capacityBefore = ecu->heard().capacity();
    r.poll = pollFor(bench, pollSeconds, kExchangeWaitMs);
    // The ECU model logs every frame it hears (for tests); it grows with it.
    const double kib =
        double((ecu->heard().capacity() - capacityBefore) * sizeof(sim::KwpEcu::Heard)
               + (ecu->heard().size() - heardBefore) * 32)
        / 1024;
    r.poll.simNote = "KWP: the simulated ECU's log of heard frames grew by "
                     + std::to_string(ecu->heard().size() - heardBefore) + " frames, about "
                     + std::to_string(int(kib + 0.5)) + " KiB, while polling";
    // Emptied, its room kept: the chart's run is not charged with the log.
    ecu->clearHeard();
    r.chartPoll = pollWithChart(bench, pollSeconds, kExchangeWaitMs);
    r.ok = true;
    return r;
}

} // namespace bench
