// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chartsegments.h"

namespace ChartSegments {

namespace {
QPointF point(const Sample &s)
{
    return QPointF(double(s.ms) / 1000.0, s.value);
}

// Samples [from, to) of `ring`, one piece of line: each slice of the span
// keeps its lowest and highest sample, in time order. Read in place: a piece
// can be an hour long.
QVector<QPointF> thin(const SampleRing &ring, int from, int to, qint64 fromMs, qint64 toMs,
                      int columns)
{
    QVector<QPointF> out;
    if (to - from <= 2 * columns) {
        out.reserve(to - from);
        for (int i = from; i < to; ++i)
            out.append(point(ring.at(i)));
        return out;
    }
    out.reserve(2 * columns + 2);
    const double slice = double(qMax<qint64>(1, toMs - fromMs)) / columns;
    const auto columnOf = [&](int i) { return qint64(double(ring.at(i).ms - fromMs) / slice); };
    int i = from;
    while (i < to) {
        const qint64 column = columnOf(i);
        int low = i, high = i;
        int j = i + 1;
        for (; j < to && columnOf(j) == column; ++j) {
            if (ring.at(j).value < ring.at(low).value)
                low = j;
            if (ring.at(j).value > ring.at(high).value)
                high = j;
        }
        out.append(point(ring.at(qMin(low, high))));
        if (low != high)
            out.append(point(ring.at(qMax(low, high))));
        i = j;
    }
    return out;
}
} // namespace

QList<QVector<QPointF>> lines(const SampleRing &ring, qint64 fromMs, qint64 toMs, int columns)
{
    QList<QVector<QPointF>> out;
    columns = qMax(1, columns);
    int start = qMax(0, ring.lowerBound(fromMs) - 1);
    int i = start;
    for (; i < ring.size() && ring.at(i).ms <= toMs; ++i) {
        if (!ring.at(i).isGap())
            continue;
        if (i > start)
            out.append(thin(ring, start, i, fromMs, toMs, columns));
        start = i + 1;
    }
    if (i > start)
        out.append(thin(ring, start, i, fromMs, toMs, columns));
    return out;
}

} // namespace ChartSegments
