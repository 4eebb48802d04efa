// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/faultledger.h"

namespace {
// Clears are the mechanic's own presses; a session that holds more than
// this keeps the latest ones.
constexpr int kClearsKept = 100;
} // namespace

void FaultLedger::read(Family family, Row row, const FaultReading &reading)
{
    latest_[family][row] = reading;
    latest_[family][row].read = true;
    if (!clears_.isEmpty() && clears_.last().family == family)
        clears_.last().after[row] = latest_[family][row];
}

void FaultLedger::cleared(Family family, qint64 ms)
{
    Clear clear{family, ms, {}, {}};
    for (int row = 0; row < Rows; ++row)
        clear.before[row] = latest_[family][row];
    if (clears_.size() >= kClearsKept)
        clears_.removeFirst();
    clears_.append(clear);
}
