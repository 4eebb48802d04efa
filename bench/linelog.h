// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_LINELOG_H
#define BENCH_LINELOG_H

// What the simulated cable saw, turned into the figures of the bench: the
// request/answer exchanges (bytes written, then the read that looked for
// the answer), DTR pulses, and the bytes on the wire.

#include "sim/virtualcable.h"

#include <vector>

namespace bench {

constexpr double kNsPerMs = 1e6;

struct Exchange {
    sim::Nanos firstWrite;   // the request's first byte handed to the cable
    sim::Nanos read;         // the first read after the request was called
    sim::Nanos readReturned; // ... and returned with the answer
    int requestBytes;
    int gotBytes; // what that read handed out (echo included)
};

struct LineSpan {
    std::vector<Exchange> exchanges;
    int txBytes = 0;     // ours
    int rxBytes = 0;     // everything read back: echo and ECU
    int secondReads = 0; // a read that found nothing, read again at once or later
};

// Everything from `from` to `to` (cable clock) in the cable's history.
LineSpan lineSpan(const sim::VirtualCable &cable, sim::Nanos from, sim::Nanos to);

// How far each exchange's read came after its request plus `waitMs`:
// when it was called, or when it returned.
std::vector<double> overrunsMs(const std::vector<Exchange> &exchanges, double waitMs);
std::vector<double> returnOverrunsMs(const std::vector<Exchange> &exchanges, double waitMs);

// Differences between neighbours (tick ends into tick periods), in ms.
std::vector<double> periodsMs(const std::vector<sim::Nanos> &times);

// The line's own timing of a KWP session: for each request, the time from
// the end of the ECU's last answer byte before it to the request's first
// byte on the wire (ISO 14230's P3); and for each wake-up pulse, the time
// from DTR going high to the first byte after it (the StartCommunication).
struct KwpLineTimes {
    std::vector<double> p3Ms;
    std::vector<double> startAfterPulseMs;
};
KwpLineTimes kwpLineTimes(const sim::VirtualCable &cable, sim::Nanos from, sim::Nanos to);

struct Pulse {
    sim::Nanos low, high;
    double widthMs() const { return double(high - low) / kNsPerMs; }
};
// DTR low-then-high pairs recorded since edge `fromEdge`.
std::vector<Pulse> pulses(const sim::VirtualCable &cable, std::size_t fromEdge = 0);

// Line time of `bytes` bytes of 10 bits at `baud`.
double wireMs(int bytes, int baud);

} // namespace bench

#endif // BENCH_LINELOG_H
