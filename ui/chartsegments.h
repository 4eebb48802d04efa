// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CHARTSEGMENTS_H
#define CHARTSEGMENTS_H

// The lines to draw for one item over a span of time: its samples split
// where the polling broke off, and thinned so that a long span costs no
// more to draw than the plot has room for.
#include "journal/samplering.h"

#include <QList>
#include <QPointF>
#include <QVector>

namespace ChartSegments {

// The pieces of line of `ring` that reach into [fromMs, toMs], in points of
// (seconds, value). The sample before the span is kept so that a line comes
// in from the left edge. With more samples than 2 x `columns` in a piece,
// each of `columns` equal slices of the span keeps its lowest and highest
// sample, in their order: peaks stay, and a piece has at most 2 x `columns`
// points (plus the one before the span).
QList<QVector<QPointF>> lines(const SampleRing &ring, qint64 fromMs, qint64 toMs, int columns);

} // namespace ChartSegments

#endif // CHARTSEGMENTS_H
