// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_POLLPHASE_H
#define BENCH_POLLPHASE_H

#include "bench/families.h"
#include "bench/harness.h"

namespace bench {

// Polls the selected value for `seconds`: each second, at the end of a tick
// (no exchange half done), the cable's history becomes overrun samples
// against `waitMs` and is cleared, and CPU and memory are sampled.
PollResult pollFor(Bench &bench, int seconds, double waitMs);

// The same with the chart window open (through the table's menu, as the
// mechanic opens it) and drawing the polled item; it is closed afterwards.
PollResult pollWithChart(Bench &bench, int seconds, double waitMs);

} // namespace bench

#endif // BENCH_POLLPHASE_H
