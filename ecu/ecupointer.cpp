// SPDX-License-Identifier: GPL-3.0-or-later
#include "ecu/ecupointer.h"

#include <cstdlib>

void EcuPointer::startOnFirstRow()
{
    row_ = 0;
    confirmed_ = true;
    fresh_ = false;
}

void EcuPointer::forget()
{
    confirmed_ = false;
    fresh_ = false;
}

void EcuPointer::moved(int delta)
{
    row_ += delta;
    confirmed_ = false;
    fresh_ = true;
}

EcuPointer::Report EcuPointer::reported(int code, const QList<int> &codes, int rows)
{
    const bool wasFresh = fresh_;
    fresh_ = false;
    if (row_ < rows && codes.value(row_, -1) == code) {
        confirmed_ = true;
        return Report::Confirms;
    }
    confirmed_ = false;
    // An ECU may still describe the item it left in its first answer after
    // a move; only a second word against the pointer moves it.
    if (wasFresh)
        return Report::Stale;
    // A lost move or a lost answer: the nearest row with that code is where
    // the ECU stands (a code may stand on more than one row).
    int nearest = -1;
    for (int r = 0; r < rows && r < codes.size(); ++r) {
        if (codes[r] == code && (nearest < 0 || std::abs(r - row_) < std::abs(nearest - row_)))
            nearest = r;
    }
    if (nearest < 0)
        return Report::Unknown;
    row_ = nearest;
    confirmed_ = true;
    return Report::Corrects;
}
