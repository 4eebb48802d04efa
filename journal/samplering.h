// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SAMPLERING_H
#define SAMPLERING_H

// The values one item had over time, oldest first, in a ring of fixed
// capacity: once full, each new sample takes the place of the oldest, so a
// session of any length keeps the same memory. A sample whose value is not
// a number breaks the line there (the item was not polled in between).
#include <QVector>
#include <QtGlobal>

struct Sample {
    qint64 ms; // since the journal's start
    double value;
    bool isGap() const { return value != value; } // NaN
};

class SampleRing
{
public:
    explicit SampleRing(int capacity);

    void push(qint64 ms, double value);
    void pushGap(qint64 ms);

    int size() const { return int(samples_.size()); }
    int capacity() const { return capacity_; }
    bool isEmpty() const { return samples_.isEmpty(); }
    // The i-th sample from the oldest kept, 0 <= i < size().
    const Sample &at(int i) const { return samples_[(first_ + i) % samples_.size()]; }
    const Sample &last() const { return at(size() - 1); }
    // The first sample at or after `ms` (size() when none): times never go back.
    int lowerBound(qint64 ms) const;
    // Samples pushed out by newer ones.
    qint64 overwritten() const { return overwritten_; }

private:
    QVector<Sample> samples_; // grows up to the capacity, then turns round
    int capacity_;
    int first_ = 0;
    qint64 overwritten_ = 0;
};

#endif // SAMPLERING_H
