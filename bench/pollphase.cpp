// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/pollphase.h"

#include "bench/linelog.h"
#include "bench/stats.h"

#include "ui/chartwindow.h"

#include <QAction>

#include <limits>

namespace bench {

namespace {
void append(std::vector<double> &to, const std::vector<double> &from)
{
    to.insert(to.end(), from.begin(), from.end());
}

void harvest(PollResult &r, double waitMs)
{
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    constexpr sim::Nanos kAll = std::numeric_limits<sim::Nanos>::max();
    const LineSpan span = lineSpan(cable, -kAll, kAll);
    append(r.overrunMs, overrunsMs(span.exchanges, waitMs));
    append(r.returnOverrunMs, returnOverrunsMs(span.exchanges, waitMs));
    append(r.p3Ms, kwpLineTimes(cable, -kAll, kAll).p3Ms);
    cable.clearHistory();
}
} // namespace

PollResult pollFor(Bench &bench, int seconds, double waitMs)
{
    PollResult r;
    sim::VirtualCable::instance().clearHistory();
    const int startTicks = bench.ticks();
    double lastWall = wallSeconds(), lastCpu = cpuSeconds();
    const double startWall = lastWall;
    std::vector<sim::Nanos> tickEnds;
    bench.onTick([&] {
        tickEnds.push_back(sim::nowNs());
        const double wall = wallSeconds();
        if (wall - lastWall < 1.0)
            return;
        harvest(r, waitMs);
        const double cpu = cpuSeconds();
        r.cpuPerWall.push_back((cpu - lastCpu) / (wall - lastWall));
        r.residentKiB.push_back(residentKiB());
        r.ticksAt.push_back(bench.ticks() - startTicks);
        lastWall = wall;
        lastCpu = cpu;
    });
    runEvents(seconds * 1000);
    bench.onTick({});
    r.ticks = bench.ticks() - startTicks;
    r.tickPeriodMs = periodsMs(tickEnds);
    r.seconds = wallSeconds() - startWall;
    return r;
}

PollResult pollWithChart(Bench &bench, int seconds, double waitMs)
{
    bench.probe.tableMenu()->chartAction()->trigger();
    PollResult r = pollFor(bench, seconds, waitMs);
    if (ChartWindow *chart = bench.probe.tableMenu()->chartWindow()) {
        r.chartRedraws = chart->redraws();
        chart->close();
    }
    return r;
}

namespace {
double medianOf(std::vector<double>::const_iterator from, std::vector<double>::const_iterator to)
{
    return summarize(std::vector<double>(from, to)).median;
}
} // namespace

double growthPerThousand(const std::vector<double> &x, const std::vector<double> &y,
                         std::size_t skip)
{
    if (x.size() != y.size() || x.size() < skip + 3)
        return 0;
    // Medians of the first and the last third: single samples catch a tick's
    // passing allocations, and resident memory moves in whole pages.
    const std::size_t third = (x.size() - skip) / 3;
    const auto xb = x.begin() + long(skip), yb = y.begin() + long(skip);
    const double dx = medianOf(x.end() - long(third), x.end()) - medianOf(xb, xb + long(third));
    const double dy = medianOf(y.end() - long(third), y.end()) - medianOf(yb, yb + long(third));
    return dx > 0 ? 1000.0 * dy / dx : 0;
}

} // namespace bench
