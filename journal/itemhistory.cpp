// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/itemhistory.h"

#include <limits>

ItemHistory::ItemHistory(int code, int capacity) : code_(code), samples_(capacity) {}

void ItemHistory::record(qint64 ms, const QString &name, const QString &unit, const QString &text,
                         int run)
{
    // The row's texts can change under the same code (item 61 once Xmax
    // was chosen): the latest are the ones the mechanic saw last.
    name_ = name;
    unit_ = unit;
    lastText_ = text;
    lastMs_ = ms;
    ++values_;
    if (run != run_)
        samples_.pushGap(ms);
    run_ = run;
    bool number = false;
    const double value = text.toDouble(&number);
    // A text that is no number cannot be drawn: the line breaks there.
    samples_.push(ms, number ? value : std::numeric_limits<double>::quiet_NaN());
}
