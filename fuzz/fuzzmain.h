// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FUZZMAIN_H
#define FUZZMAIN_H

// What every protocol fuzz target shares: an offscreen application, a
// silent log, the virtual clock, and the seed writer
// (TAVRIX_FUZZ_SEEDS=dir writes one seed per state there and exits).
#include "fuzz/fuzzdriver.h"

#include <cstddef>
#include <cstdint>

namespace fuzzdrive {

void initApplication();
Driver &driver(Family family);
// Writes the seeds when asked to; returns false when the target is to run.
bool writeSeedsIfAsked(Family family);

} // namespace fuzzdrive

#endif // FUZZMAIN_H
