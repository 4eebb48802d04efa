// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RAMP_H
#define RAMP_H

// A raw value that climbs and falls as it is read: from `low` up to `high`
// and back, `step` a reading, like a throttle opened and closed again. With
// (high - low) a multiple of `step`, no two readings in a row are equal, so
// every reading shows as a change.
namespace sim {

struct Ramp {
    int low = 0;
    int high = 0;
    int step = 0;

    bool active() const { return step > 0 && high > low; }
    // The value of reading number `n` (from 0).
    int at(long n) const
    {
        const long span = high - low;
        const long period = 2 * span;
        const long offset = (n * step) % period;
        return int(low + (offset <= span ? offset : period - offset));
    }
};

} // namespace sim

#endif // RAMP_H
