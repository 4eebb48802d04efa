// SPDX-License-Identifier: GPL-3.0-or-later
// The Auto family: a vixion with 25 items, logged into and scanned by the
// window's own cycle at its 30 ms pace, then one value polled.
#include "bench/families.h"
#include "bench/harness.h"
#include "bench/linelog.h"
#include "bench/pollphase.h"

#include "sim/autoecu.h"

namespace bench {

namespace {
constexpr double kLoginWaitMs = 10;   // fixed wait of a login tick
constexpr double kSessionWaitMs = 50; // fixed wait of a session tick
constexpr double kTimerMs = 30;       // poll timer period
constexpr int kAutoBaud = 15625;      // 15630 after the chip's rounding
constexpr int kItems = 25;
constexpr int kPolledRow = 3;

sim::AutoEcuConfig twentyFiveItems()
{
    sim::AutoEcuConfig c = sim::AutoEcuConfig::vixion(); // 24 items
    c.items.insert(c.items.begin() + 1, 2);
    return c;
}
} // namespace

TableResult runAuto(int pollSeconds)
{
    TableResult r;
    Bench bench(std::make_shared<sim::AutoEcu>(twentyFiveItems()), false);
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    sim::Nanos tableEnd = 0;
    std::vector<sim::Nanos> tickEnds;
    bench.onTick([&] {
        if (tableEnd != 0)
            return;
        tickEnds.push_back(sim::nowNs());
        if (bench.probe.sessionState() == SessionState::Up && !cable.reads().empty()) {
            tableEnd = cable.reads().back().returnedAt;
            r.ticks = bench.ticks();
        }
    });
    if (!runEvents(60000, [&] { return tableEnd != 0; }) || cable.transmitted().empty()) {
        r.failure = "Auto session never came up";
        return r;
    }
    r.rows = bench.probe.table()->rowCount();
    const sim::Nanos start = cable.transmitted().front().writtenAt;
    const LineSpan span = lineSpan(cable, start, tableEnd);
    r.exchanges = int(span.exchanges.size());
    r.tableOverrunMs = overrunsMs(span.exchanges, kLoginWaitMs);
    r.tableReturnOverrunMs = returnOverrunsMs(span.exchanges, kLoginWaitMs);
    r.tableTickPeriodMs = periodsMs(tickEnds);
    r.measuredMs = double(tableEnd - start) / kNsPerMs;
    // Ticks start one timer period apart; the last one ends after its wait.
    r.prescribedMs = (r.ticks - 1) * kTimerMs + kLoginWaitMs;
    r.floorMs = wireMs(span.rxBytes, kAutoBaud);
    bench.onTick({});
    if (r.rows != kItems || !bench.selectAndRead(kPolledRow)) {
        r.failure = "Auto table or polled value wrong";
        return r;
    }
    r.poll = pollFor(bench, pollSeconds, kSessionWaitMs);
    r.chartPoll = pollWithChart(bench, pollSeconds, kSessionWaitMs);
    r.ok = true;
    return r;
}

} // namespace bench
