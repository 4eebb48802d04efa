// SPDX-License-Identifier: GPL-3.0-or-later
#include "chartsegments.h"

namespace ChartSegments {

namespace {
QPointF point(const Sample &s)
{
    return QPointF(double(s.ms) / 1000.0, s.value);
}

// Keeps the lowest and highest sample of each slice, in time order.
QVector<QPointF> thin(const QVector<Sample> &piece, qint64 fromMs, qint64 toMs, int columns)
{
    QVector<QPointF> out;
    if (piece.size() <= 2 * columns) {
        out.reserve(piece.size());
        for (const Sample &s : piece)
            out.append(point(s));
        return out;
    }
    const double slice = double(qMax<qint64>(1, toMs - fromMs)) / columns;
    int i = 0;
    while (i < piece.size()) {
        const qint64 column = qint64(double(piece[i].ms - fromMs) / slice);
        int low = i, high = i;
        int j = i + 1;
        while (j < piece.size() && qint64(double(piece[j].ms - fromMs) / slice) == column) {
            if (piece[j].value < piece[low].value)
                low = j;
            if (piece[j].value > piece[high].value)
                high = j;
            ++j;
        }
        out.append(point(piece[qMin(low, high)]));
        if (low != high)
            out.append(point(piece[qMax(low, high)]));
        i = j;
    }
    return out;
}
} // namespace

QList<QVector<QPointF>> lines(const SampleRing &ring, qint64 fromMs, qint64 toMs, int columns)
{
    QList<QVector<QPointF>> out;
    columns = qMax(1, columns);
    const int first = qMax(0, ring.lowerBound(fromMs) - 1);
    QVector<Sample> piece;
    const auto flush = [&] {
        if (!piece.isEmpty())
            out.append(thin(piece, fromMs, toMs, columns));
        piece.clear();
    };
    for (int i = first; i < ring.size(); ++i) {
        const Sample &s = ring.at(i);
        if (s.ms > toMs)
            break;
        if (s.isGap())
            flush();
        else
            piece.append(s);
    }
    flush();
    return out;
}

} // namespace ChartSegments
