#include "bench/pollphase.h"

#include "bench/linelog.h"

#include <limits>

namespace bench {

namespace {
void harvest(PollResult &r, double waitMs)
{
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    const LineSpan span = lineSpan(cable, std::numeric_limits<sim::Nanos>::min(),
                                   std::numeric_limits<sim::Nanos>::max());
    const std::vector<double> over = overrunsMs(span.exchanges, waitMs);
    r.overrunMs.insert(r.overrunMs.end(), over.begin(), over.end());
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
    bench.onTick([&] {
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
    r.seconds = wallSeconds() - startWall;
    return r;
}

double growthPerThousand(const std::vector<double> &x, const std::vector<double> &y,
                         std::size_t skip)
{
    if (x.size() != y.size() || x.size() < skip + 2)
        return 0;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = double(x.size() - skip);
    for (std::size_t i = skip; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double den = n * sxx - sx * sx;
    return den > 0 ? 1000.0 * (n * sxy - sx * sy) / den : 0;
}

} // namespace bench
