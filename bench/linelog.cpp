// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/linelog.h"

namespace bench {

LineSpan lineSpan(const sim::VirtualCable &cable, sim::Nanos from, sim::Nanos to)
{
    LineSpan span;
    const auto &tx = cable.transmitted();
    std::size_t t = 0;
    bool lastReadEmpty = false;
    for (const sim::ReadCall &r : cable.reads()) {
        std::size_t first = t;
        while (t < tx.size() && tx[t].writtenAt <= r.at)
            ++t;
        const bool wrote = t > first;
        const bool inside = r.at >= from && r.at <= to;
        if (inside) {
            span.txBytes += int(t - first);
            span.rxBytes += r.got;
            if (wrote && tx[first].writtenAt >= from)
                span.exchanges.push_back({tx[first].writtenAt, r.at, int(t - first), r.got});
            else if (!wrote && lastReadEmpty)
                ++span.secondReads;
        }
        lastReadEmpty = r.got == 0;
    }
    return span;
}

std::vector<double> overrunsMs(const std::vector<Exchange> &exchanges, double waitMs)
{
    std::vector<double> out;
    out.reserve(exchanges.size());
    for (const Exchange &e : exchanges)
        out.push_back(double(e.read - e.firstWrite) / kNsPerMs - waitMs);
    return out;
}

std::vector<Pulse> pulses(const sim::VirtualCable &cable, std::size_t fromEdge)
{
    std::vector<Pulse> out;
    const auto &edges = cable.dtrEdges();
    for (std::size_t i = fromEdge + 1; i < edges.size(); ++i) {
        if (!edges[i - 1].level && edges[i].level)
            out.push_back({edges[i - 1].at, edges[i].at});
    }
    return out;
}

double wireMs(int bytes, int baud)
{
    return baud > 0 ? bytes * 10.0 * 1000.0 / baud : 0;
}

} // namespace bench
