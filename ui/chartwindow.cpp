// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chartwindow.h"

#include "journal/sessionjournal.h"
#include "ui/chartsegments.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

using namespace QtCharts;

namespace {
constexpr int kRedrawMs = 100; // at most ten redraws a second
const qint64 kSpanMs[] = {30 * 1000, 2 * 60 * 1000, -1};
const char *const kSpanNames[] = {"30 detik", "2 menit", "Seluruh sesi"};
constexpr int kMinColumns = 100;
// A line broken more often than this in the span shows its latest pieces.
constexpr int kMaxPieces = 200;
constexpr qreal kViewedWidth = 2.5;
constexpr qreal kOtherWidth = 1.2;
constexpr int kOtherAlpha = 110;
const QRgb kPalette[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd,
                         0x8c564b, 0xe377c2, 0x17becf, 0xbcbd22, 0x7f7f7f};
// Another item's line takes this middle band of the height: its shape and
// when it was polled, not its values.
constexpr double kOtherBandLow = 0.2;
constexpr double kOtherBandHigh = 0.8;
constexpr double kOtherMinSpan = 0.1;
// Seconds between the time axis' ticks: the first that gives at most
// kMaxTicks of them.
const int kTickSeconds[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200};
constexpr int kMaxTicks = 8;
const char kPauseText[] = "Jeda";
const char kResumeText[] = "Lanjutkan";

struct Range {
    double low = 0, high = 0;
    bool empty = true;
    void take(double v)
    {
        low = empty ? v : qMin(low, v);
        high = empty ? v : qMax(high, v);
        empty = false;
    }
};
} // namespace

ChartWindow::ChartWindow(SessionJournal *journal, QWidget *parent)
    : QWidget(parent, Qt::Window), journal_(journal), chart_(new QChart), xAxis_(new QValueAxis),
      yAxis_(new QValueAxis), redrawTimer_(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Grafik - Tavrix"));
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    xAxis_->setTitleText(QStringLiteral("detik sejak mulai"));
    xAxis_->setLabelFormat(QStringLiteral("%.0f"));
    // Ticks on whole multiples of an interval (set before the type: Qt
    // Charts lays dynamic ticks out at once, and an interval of 0 never ends).
    xAxis_->setTickInterval(kTickSeconds[0]);
    xAxis_->setTickAnchor(0);
    xAxis_->setTickType(QValueAxis::TicksDynamic);
    chart_->addAxis(xAxis_, Qt::AlignBottom);
    chart_->addAxis(yAxis_, Qt::AlignLeft);
    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);

    span_ = new QComboBox(this);
    for (const char *name : kSpanNames)
        span_->addItem(QString::fromUtf8(name));
    pause_ = new QPushButton(QLatin1String(kPauseText), this);
    pause_->setCheckable(true);
    note_ = new QLabel(this);
    auto *controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Rentang:"), this));
    controls->addWidget(span_);
    controls->addWidget(pause_);
    controls->addSpacing(12);
    controls->addWidget(note_, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(view_, 1);
    resize(760, 460);

    connect(span_, SIGNAL(currentIndexChanged(int)), this, SLOT(setSpan(int)));
    connect(pause_, SIGNAL(toggled(bool)), this, SLOT(setPaused(bool)));
    connect(journal, SIGNAL(changed()), this, SLOT(journalChanged()));
    connect(journal, SIGNAL(selectionChanged()), this, SLOT(selectionChanged()));
    connect(redrawTimer_, SIGNAL(timeout()), this, SLOT(redrawIfDue()));
    redrawTimer_->start(kRedrawMs);
}

bool ChartWindow::paused() const
{
    return pause_->isChecked();
}

void ChartWindow::setSpan(int span)
{
    if (span_->currentIndex() != span)
        span_->setCurrentIndex(span);
    dirty_ = true;
}

void ChartWindow::setPaused(bool paused)
{
    if (pause_->isChecked() != paused)
        pause_->setChecked(paused);
    pause_->setText(QLatin1String(paused ? kResumeText : kPauseText));
    // Back from a pause the chart catches up at once.
    if (!paused)
        redraw();
}

void ChartWindow::view(int code)
{
    picked_ = code;
    dirty_ = true;
}

void ChartWindow::journalChanged()
{
    dirty_ = true;
}

void ChartWindow::selectionChanged()
{
    picked_ = -1;
    dirty_ = true;
}

void ChartWindow::showEvent(QShowEvent *event)
{
    dirty_ = true;
    QWidget::showEvent(event);
}

void ChartWindow::resizeEvent(QResizeEvent *event)
{
    dirty_ = true;
    QWidget::resizeEvent(event);
}

void ChartWindow::redrawIfDue()
{
    if (dirty_ && isVisible() && !paused())
        redraw();
}

int ChartWindow::codeToView() const
{
    if (picked_ >= 0)
        return picked_;
    // The selected row's item; after a new table, the item the cycle polls.
    const int selected = journal_->selectedCode();
    const int code = selected >= 0 ? selected : journal_->lastCode();
    if (code >= 0 && !SessionJournal::isFaultItem(code))
        return code;
    return viewed_;
}

ChartWindow::Lines &ChartWindow::linesOf(int code)
{
    auto it = lines_.find(code);
    if (it != lines_.end())
        return *it;
    Lines lines;
    lines.color = QColor(kPalette[lines_.size() % (sizeof(kPalette) / sizeof(kPalette[0]))]);
    return *lines_.insert(code, lines);
}

void ChartWindow::markerClicked()
{
    auto *marker = qobject_cast<QLegendMarker *>(sender());
    if (!marker)
        return;
    for (auto it = lines_.constBegin(); it != lines_.constEnd(); ++it) {
        if (!it->pieces.isEmpty() && it->pieces.first() == marker->series()) {
            view(it.key());
            redraw();
            return;
        }
    }
}

void ChartWindow::redraw()
{
    if (!journal_)
        return;
    ++redraws_;
    dirty_ = false;
    const qint64 end = journal_->nowMs();
    const qint64 spanMs = kSpanMs[qBound(0, span_->currentIndex(), int(WholeSession))];
    const qint64 from = spanMs < 0 ? 0 : qMax<qint64>(0, end - spanMs);
    const int columns = qMax(kMinColumns, int(chart_->plotArea().width()));
    viewed_ = codeToView();

    struct Drawn {
        int code;
        QList<QVector<QPointF>> pieces;
        Range range;
    };
    QList<Drawn> drawn;
    Range viewedRange;
    for (int code : journal_->codes()) {
        if (SessionJournal::isFaultItem(code))
            continue;
        Drawn d{
            code, ChartSegments::lines(journal_->item(code)->samples(), from, end, columns), {}};
        if (d.pieces.size() > kMaxPieces)
            d.pieces = d.pieces.mid(d.pieces.size() - kMaxPieces);
        for (const QVector<QPointF> &piece : d.pieces) {
            for (const QPointF &p : piece) {
                if (p.x() >= from / 1000.0)
                    d.range.take(p.y());
            }
        }
        if (code == viewed_)
            viewedRange = d.range;
        drawn.append(d);
    }

    // The viewed item's values set the scale, with a little room around.
    const double low = viewedRange.empty ? 0 : viewedRange.low;
    const double high = viewedRange.empty ? 1 : viewedRange.high;
    const double pad = high - low < 1e-9 ? 1 : (high - low) * 0.08;
    // A value that is never below zero gets no axis below zero.
    yAxis_->setRange(low >= 0 ? qMax(0.0, low - pad) : low - pad, high + pad);
    yAxis_->applyNiceNumbers();
    const qint64 to = qMax(end, from + 1000);
    int tick = kTickSeconds[0];
    for (int seconds : kTickSeconds) {
        tick = seconds;
        if ((to - from) / 1000.0 / seconds <= kMaxTicks)
            break;
    }
    // The interval first: the new range with the old interval may be
    // thousands of ticks.
    xAxis_->setTickInterval(tick);
    xAxis_->setRange(from / 1000.0, to / 1000.0);
    const double yLow = yAxis_->min() + (yAxis_->max() - yAxis_->min()) * kOtherBandLow;
    const double yHigh = yAxis_->min() + (yAxis_->max() - yAxis_->min()) * kOtherBandHigh;

    for (const Drawn &d : drawn) {
        Lines &lines = linesOf(d.code);
        const ItemHistory *item = journal_->item(d.code);
        while (lines.pieces.size() < d.pieces.size()) {
            auto *series = new QLineSeries(chart_);
            chart_->addSeries(series);
            series->attachAxis(xAxis_);
            series->attachAxis(yAxis_);
            // One legend entry per item: its first piece's.
            const QList<QLegendMarker *> markers = chart_->legend()->markers(series);
            for (QLegendMarker *marker : markers) {
                marker->setVisible(lines.pieces.isEmpty());
                connect(marker, &QLegendMarker::clicked, this, &ChartWindow::markerClicked);
            }
            lines.pieces.append(series);
        }
        const bool strong = d.code == viewed_;
        QColor color = lines.color;
        if (!strong)
            color.setAlpha(kOtherAlpha);
        QPen pen(color);
        pen.setWidthF(strong ? kViewedWidth : kOtherWidth);
        for (int i = 0; i < lines.pieces.size(); ++i) {
            QLineSeries *series = lines.pieces[i];
            QVector<QPointF> points = d.pieces.value(i);
            // Another item's line shows its shape and when it was polled,
            // fitted into the viewed item's scale.
            if (!strong && !d.range.empty) {
                // A value that only wavers by a digit stays nearly flat: the
                // span is at least a tenth of its size.
                const double size = qMax(qAbs(d.range.low), qAbs(d.range.high));
                const double span = qMax(d.range.high - d.range.low, kOtherMinSpan * size);
                const double base = (d.range.low + d.range.high - span) / 2;
                for (QPointF &p : points) {
                    const double share = span > 1e-9 ? (p.y() - base) / span : 0.5;
                    p.setY(yLow + share * (yHigh - yLow));
                }
            }
            series->replace(points);
            series->setPen(pen);
        }
        if (!lines.pieces.isEmpty())
            lines.pieces.first()->setName(item->unit().isEmpty() || item->unit() == "-"
                                              ? item->name()
                                              : item->name() + " (" + item->unit() + ")");
    }

    const ItemHistory *shown = viewed_ >= 0 ? journal_->item(viewed_) : nullptr;
    chart_->setTitle(shown ? QStringLiteral("<b>%1</b>").arg(shown->name().toHtmlEscaped())
                           : QString());
    yAxis_->setTitleText(shown ? shown->unit() : QString());
    setWindowTitle(shown ? QStringLiteral("Grafik %1 - Tavrix").arg(shown->name())
                         : QStringLiteral("Grafik - Tavrix"));
    if (!shown && viewed_ >= 0)
        note_->setText(QStringLiteral("Menunggu nilai item %1 ...").arg(viewed_));
    else if (!shown)
        note_->setText(QStringLiteral("Pilih baris di tabel; nilainya tampil di sini."));
    else if (viewedRange.empty)
        note_->setText(QStringLiteral("Menunggu nilai %1 ...").arg(shown->name()));
    else
        note_->setText(QStringLiteral("Terakhir: %1 %2").arg(shown->lastText(), shown->unit()));
}

QList<QList<QPointF>> ChartWindow::drawnLines(int code) const
{
    QList<QList<QPointF>> out;
    const auto it = lines_.find(code);
    if (it == lines_.end())
        return out;
    for (const QLineSeries *series : it->pieces) {
        const QVector<QPointF> points = series->pointsVector();
        if (!points.isEmpty())
            out.append(points.toList());
    }
    return out;
}
