// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/samplering.h"

#include <limits>

namespace {
constexpr int kFirstRoom = 64;
} // namespace

SampleRing::SampleRing(int capacity) : capacity_(qMax(1, capacity)) {}

void SampleRing::push(qint64 ms, double value)
{
    // Grown as samples come: an item looked at once for a moment keeps a few
    // of them, not an hour's worth of room.
    if (samples_.size() < capacity_) {
        // Doubled as it fills, but never past the ring's own size.
        if (samples_.size() == samples_.capacity())
            samples_.reserve(qMin(capacity_, qMax(kFirstRoom, 2 * samples_.size())));
        samples_.append({ms, value});
        return;
    }
    samples_[first_] = {ms, value};
    first_ = (first_ + 1) % capacity_;
    ++overwritten_;
}

void SampleRing::pushGap(qint64 ms)
{
    if (!isEmpty() && !last().isGap())
        push(ms, std::numeric_limits<double>::quiet_NaN());
}

int SampleRing::lowerBound(qint64 ms) const
{
    int low = 0, high = size();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (at(mid).ms < ms)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}
