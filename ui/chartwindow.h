// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CHARTWINDOW_H
#define CHARTWINDOW_H

// The chart of the selected item's value over time, in a window of its own
// beside the main window. It draws what the session journal holds, so it
// adds nothing to the line and no wait to a tick: a change in the journal
// only marks the chart for the next redraw, and redraws come at most ten
// times a second. Each item seen has its line; the item the mechanic
// selected (or picked in the legend) is drawn strongest, in its unit, the
// others faintly, scaled to fit. Where an item was not polled the line has
// a gap. Fault rows are not drawn.
#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class SessionJournal;

namespace QtCharts {
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;
} // namespace QtCharts

class ChartWindow : public QWidget
{
    Q_OBJECT

public:
    enum Span { LastHalfMinute, LastTwoMinutes, WholeSession };

    ChartWindow(SessionJournal *journal, QWidget *parent = nullptr);

    // What is drawn now, for the tests and the screenshots.
    int viewedCode() const { return viewed_; }
    bool paused() const;
    int redraws() const { return redraws_; }
    // The visible pieces of line of `code`, in (seconds, value) as drawn
    // (the viewed item in its unit, the others scaled).
    QList<QList<QPointF>> drawnLines(int code) const;
    QtCharts::QChart *chart() const { return chart_; }

public slots:
    void setSpan(int span);
    void setPaused(bool paused);
    // Shows `code` strongest until the mechanic selects another row.
    void view(int code);
    void redraw();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void journalChanged();
    void selectionChanged();
    void redrawIfDue();

private:
    struct Lines {
        QList<QtCharts::QLineSeries *> pieces;
        QColor color;
    };
    Lines &linesOf(int code);
    int codeToView() const;
    void markerClicked();

    QPointer<SessionJournal> journal_;
    QtCharts::QChart *chart_;
    QtCharts::QChartView *view_;
    QtCharts::QValueAxis *xAxis_;
    QtCharts::QValueAxis *yAxis_;
    QComboBox *span_;
    QPushButton *pause_;
    QLabel *note_;
    QTimer *redrawTimer_;
    QHash<int, Lines> lines_;
    int picked_ = -1; // chosen in the legend, until the next selection
    int viewed_ = -1;
    bool dirty_ = true;
    int redraws_ = 0;
};

#endif // CHARTWINDOW_H
