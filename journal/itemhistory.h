// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ITEMHISTORY_H
#define ITEMHISTORY_H

// One item's values as the Value cell showed them, with the name and unit
// its row showed beside them.
#include "journal/samplering.h"

#include <QString>

class ItemHistory
{
public:
    ItemHistory(int code, int capacity);

    // A value the cell showed at `ms`. `run` names the stretch of polling it
    // belongs to: a value of another run than the one before starts a new
    // line, so that the time the item was not polled shows as a gap.
    void record(qint64 ms, const QString &name, const QString &unit, const QString &text, int run);

    int code() const { return code_; }
    const QString &name() const { return name_; }
    const QString &unit() const { return unit_; }
    const QString &lastText() const { return lastText_; }
    qint64 lastMs() const { return lastMs_; }
    qint64 values() const { return values_; }
    const SampleRing &samples() const { return samples_; }

private:
    int code_;
    QString name_, unit_, lastText_;
    qint64 lastMs_ = 0;
    qint64 values_ = 0;
    int run_ = -1;
    SampleRing samples_;
};

#endif // ITEMHISTORY_H
