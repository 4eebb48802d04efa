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
                span.exchanges.push_back(
                    {tx[first].writtenAt, r.at, r.returnedAt, int(t - first), r.got});
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

std::vector<double> returnOverrunsMs(const std::vector<Exchange> &exchanges, double waitMs)
{
    std::vector<double> out;
    out.reserve(exchanges.size());
    for (const Exchange &e : exchanges)
        out.push_back(double(e.readReturned - e.firstWrite) / kNsPerMs - waitMs);
    return out;
}

std::vector<double> periodsMs(const std::vector<sim::Nanos> &times)
{
    std::vector<double> out;
    for (std::size_t i = 1; i < times.size(); ++i)
        out.push_back(double(times[i] - times[i - 1]) / kNsPerMs);
    return out;
}

KwpLineTimes kwpLineTimes(const sim::VirtualCable &cable, sim::Nanos from, sim::Nanos to)
{
    KwpLineTimes out;
    const auto &tx = cable.transmitted();
    const auto &rx = cable.received();
    // A request starts where a byte of ours follows a byte of the ECU's.
    std::size_t r = 0;
    sim::Nanos lastEcuByte = 0;
    sim::Nanos lastOwnByte = 0;
    for (const sim::TxByte &b : tx) {
        const sim::Nanos onWire = b.endsAt - (b.baud > 0 ? 10 * 1000000000LL / b.baud : 0);
        while (r < rx.size() && rx[r].arrivesAt <= onWire) {
            if (!rx[r].echo)
                lastEcuByte = rx[r].arrivesAt;
            ++r;
        }
        if (lastEcuByte > lastOwnByte && onWire >= from && onWire <= to)
            out.p3Ms.push_back(double(onWire - lastEcuByte) / kNsPerMs);
        lastOwnByte = b.endsAt;
    }
    for (const Pulse &p : pulses(cable)) {
        if (p.high < from || p.high > to)
            continue;
        for (const sim::TxByte &b : tx) {
            if (b.writtenAt >= p.high) {
                out.startAfterPulseMs.push_back(double(b.writtenAt - p.high) / kNsPerMs);
                break;
            }
        }
    }
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
