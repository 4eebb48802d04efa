// SPDX-License-Identifier: GPL-3.0-or-later
#include "chartwatcher.h"

#include "support/mainwindowprobe.h"

#include "ui/chartwindow.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include <cstdint>

namespace mechanic {

namespace {
constexpr int kPeriodMs = 450;
constexpr std::uint64_t kStream = 0x63686172; // a stream apart from the mechanic's
} // namespace

ChartWatcher::ChartWatcher(MainWindowProbe &probe, std::uint64_t seed,
                           std::function<void(const QString &)> violate)
    : probe_(probe), rng_(seed ^ kStream), violate_(std::move(violate))
{
    probe_.tableMenu()->chartAction()->trigger();
    QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { act(); });
    timer_.start(kPeriodMs);
}

ChartWatcher::~ChartWatcher() = default;

void ChartWatcher::act()
{
    ChartWindow *chart = probe_.tableMenu()->chartWindow();
    if (!chart)
        return violate_("the chart window is gone");
    ++acts_;
    switch (pick(6)) {
    case 0: chart->setPaused(!chart->paused()); break;
    case 1: chart->setSpan(pick(3)); break;
    case 2: {
        const QList<int> codes = probe_.journal().codes();
        if (!codes.isEmpty())
            chart->view(codes[pick(codes.size())]);
        break;
    }
    case 3: {
        // A right click on a row, as the mouse gives it: the press (which
        // the table must not take for a selection), then the menu.
        QTableWidget *table = probe_.table();
        if (table->rowCount() == 0)
            break;
        QWidget *viewport = table->viewport();
        const QPoint at = table->visualItemRect(table->item(pick(table->rowCount()), 2)).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton, {});
        QApplication::sendEvent(viewport, &press);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &menu);
        QMouseEvent release(QEvent::MouseButtonRelease, at, Qt::RightButton, {}, {});
        QApplication::sendEvent(viewport, &release);
        probe_.tableMenu()->menu()->hide();
        break;
    }
    default: chart->redraw(); break;
    }
    const QString what = check();
    if (!what.isEmpty())
        violate_(what);
}

QString ChartWatcher::check() const
{
    const ChartWindow *chart = probe_.tableMenu()->chartWindow();
    if (!chart || !chart->isVisible())
        return "the chart window was closed";
    const QList<int> &codes = probe_.rowCodes();
    for (int row = 0; row < codes.size(); ++row) {
        const QString cell = probe_.cell(row, 3);
        // An item that stands twice in the list shares its line.
        if (cell.isEmpty() || codes.count(codes[row]) > 1)
            continue;
        const ItemHistory *item = probe_.journal().item(codes[row]);
        if (!item || item->lastText() != cell)
            return QString("row %1 (item %2) shows \"%3\", the chart's journal \"%4\"")
                .arg(row)
                .arg(codes[row])
                .arg(cell, item ? item->lastText() : QString("nothing"));
    }
    return QString();
}

} // namespace mechanic
