// SPDX-License-Identifier: GPL-3.0-or-later
#include "shotsteps.h"

#include "support/mainwindowprobe.h"
#include "support/simsupport.h"
#include "ui/chartwindow.h"
#include "ui/cowindow.h"

#include <QAction>
#include <QApplication>
#include <QLCDNumber>
#include <QPainter>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <iterator>

namespace {
constexpr int kCeiling = 60000; // the Auto scan alone takes seconds on a loaded machine

// Items whose values the table picture shows, in the order a mechanic
// might look at them; the last one stays selected and live.
const int kAutoVisits[] = {1, 5, 6, 9, 3};
constexpr int kAutoHistory = 61;
constexpr int kAutoFaultCount = 62;
constexpr int kXmaxHistory = 61;
constexpr int kXmaxCurrentCodes = 62;
constexpr int kAutoThrottle = 1; // moves on the demo bike
constexpr int kAutoPressure = 3;
constexpr int kChartSeconds = 7;
const char kReportPdf[] = "report.pdf"; // scripts/screenshots.sh makes a picture of its first page
// The scaled picture: a value with its unit, and the longest item name.
constexpr int kValueWithUnit = 9; // Volt
constexpr int kLongestName = 67;  // Clear ISC Correction Value
constexpr int kScaledGap = 16;    // device pixels between the two views

struct Shots {
    MainWindow &window;
    MainWindowProbe probe;
    QDir dir;
};

int rowOf(MainWindowProbe &probe, int code)
{
    return probe.rowCodes().indexOf(code);
}

// A listing that grows the Info label shrinks the table and can push the
// selected row out of sight; scroll it back, as the mechanic would.
void showSelectedRow(MainWindowProbe &probe)
{
    QApplication::processEvents();
    if (QTableWidgetItem *item = probe.table()->currentItem())
        probe.table()->scrollToItem(item);
}

QString save(QWidget *widget, const QDir &dir, const QString &name)
{
    QApplication::processEvents();
    const QString path = dir.filePath(name);
    if (!widget->grab().save(path, "PNG"))
        return "cannot write " + path;
    QTextStream(stdout) << "wrote " << path << "\n";
    return QString();
}

// Clicks the row of `code`, then waits until the ECU stands on it and
// `shown` holds for that row.
bool visit(MainWindowProbe &probe, int code, const std::function<bool(int)> &shown)
{
    const int row = rowOf(probe, code);
    if (row < 0)
        return false;
    probe.clickRow(row);
    return waitUntil([&] { return !probe.selectionPending() && shown(row); }, kCeiling);
}

bool sessionUp(MainWindowProbe &probe, int lastCode)
{
    return waitUntil([&] {
        return probe.sessionState() == SessionState::Up && probe.scanPass() == 0
               && rowOf(probe, lastCode) >= 0 && probe.status() == "Connected-Engine On";
    }, kCeiling);
}

// Gives the window the focus, so the selected row shows in the active colour.
void activate(QWidget &window)
{
    window.raise();
    window.activateWindow();
    waitUntil([&] { return window.isActiveWindow(); }, 3000);
}

QString autoTable(Shots &s)
{
    if (!sessionUp(s.probe, 87))
        return "no Auto session with a full table";
    activate(s.window);
    for (int code : kAutoVisits) {
        if (!visit(s.probe, code, [&](int row) { return !s.probe.cell(row, 3).isEmpty(); }))
            return QString("no value for Auto item %1").arg(code);
    }
    // a live value: wait for the next reading of the selected item
    const int row = rowOf(s.probe, kAutoVisits[std::size(kAutoVisits) - 1]);
    const QString first = s.probe.cell(row, 3);
    waitUntil([&] { return s.probe.cell(row, 3) != first; }, 10000);
    return save(&s.window, s.dir, "screenshot-auto-table.png");
}

// The chart of the throttle, looked at, left for the intake pressure (a gap
// in its line, the pressure faintly) and looked at again.
QString chart(Shots &s)
{
    const auto shown = [&](int row) { return !s.probe.cell(row, 3).isEmpty(); };
    if (!visit(s.probe, kAutoThrottle, shown))
        return "no value for the throttle";
    s.probe.tableMenu()->chartAction()->trigger();
    ChartWindow *chart = s.probe.tableMenu()->chartWindow();
    if (!chart)
        return "the chart window never opened";
    chart->setSpan(ChartWindow::LastTwoMinutes);
    activate(*chart);
    runFor(kChartSeconds * 1000);
    if (!visit(s.probe, kAutoPressure, shown))
        return "no value for the intake pressure";
    runFor(kChartSeconds * 1000);
    if (!visit(s.probe, kAutoThrottle, shown))
        return "no value for the throttle, the second time";
    runFor(kChartSeconds * 1000);
    chart->redraw();
    const QString error = save(chart, s.dir, "screenshot-chart.png");
    chart->close();
    activate(s.window);
    return error;
}

QString autoFaults(Shots &s)
{
    if (!visit(s.probe, kAutoFaultCount, [&](int row) { return !s.probe.cell(row, 3).isEmpty(); }))
        return "no fault count on Auto item 62";
    if (!visit(s.probe, kAutoHistory,
               [&](int) { return s.probe.infoLabel()->text().count('\n') >= 1; }))
        return "no fault history on Auto item 61";
    return save(&s.window, s.dir, "screenshot-auto-faults.png");
}

// The dialog is modal: the picture is taken inside its event loop.
QString coDialog(Shots &s)
{
    QString error = "the CO dialog never opened";
    QTimer::singleShot(0, [&] {
        CoWindow *co = s.probe.coWindow();
        auto *lcd = co->findChild<QLCDNumber *>("lcdNumber_rpm");
        activate(*co);
        if (!waitUntil([&] {
            return s.probe.sessionState() == SessionState::Up && lcd->intValue() > 0;
        }, kCeiling))
            error = "no engine speed in the CO dialog";
        else
            error = save(co, s.dir, "screenshot-co.png");
        co->done(0);
    });
    s.probe.coButton()->click();
    return error;
}

QString xmaxFaults(Shots &s)
{
    s.probe.typeBox()->setCurrentIndex(1);
    if (!sessionUp(s.probe, kXmaxCurrentCodes))
        return "no Xmax session with its fault-code rows";
    activate(s.window);
    if (!visit(s.probe, kXmaxHistory, [&](int) {
        return s.probe.infoLabel()->text().startsWith("Info: History kode kesalahan:\n");
    }))
        return "no listing of the Xmax fault history";
    showSelectedRow(s.probe);
    QString error = save(&s.window, s.dir, "screenshot-xmax-history.png");
    if (!error.isEmpty())
        return error;
    if (!visit(s.probe, kXmaxCurrentCodes, [&](int) {
        return s.probe.infoLabel()->text().startsWith("Info: Daftar kode kesalahan:\n");
    }))
        return "no listing of the current Xmax fault codes";
    showSelectedRow(s.probe);
    return save(&s.window, s.dir, "screenshot-xmax-faults.png");
}

// The customer's report after the current codes were cleared: the codes
// read, the clear with before and after, the last values.
QString report(Shots &s)
{
    const int row = rowOf(s.probe, kXmaxCurrentCodes);
    s.probe.actionButton()->click();
    if (!waitUntil([&] { return s.probe.cell(row, 3) == "0"; }, kCeiling))
        return "the clear of the current Xmax codes never showed";
    QString error;
    const QString path = s.dir.filePath(kReportPdf);
    if (!s.probe.tableMenu()->saveReport(path, &error))
        return "cannot write " + path + ": " + error;
    QTextStream(stdout) << "wrote " << path << "\n";
    return QString();
}

// The window scaled (QT_SCALE_FACTOR, or the screen's DPI): a value with its
// unit and the longest item name, the two views side by side in one PNG.
QString scaledTable(Shots &s, const QString &name)
{
    if (!sessionUp(s.probe, 87))
        return "no Auto session with a full table";
    activate(s.window);
    QPixmap views[2];
    int i = 0;
    for (int code : {kValueWithUnit, kLongestName}) {
        if (!visit(s.probe, code, [&](int row) { return !s.probe.cell(row, 3).isEmpty(); }))
            return QString("no value for Auto item %1").arg(code);
        showSelectedRow(s.probe);
        views[i++] = s.window.grab();
    }
    QImage both(views[0].width() + kScaledGap + views[1].width(),
                qMax(views[0].height(), views[1].height()), QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    for (QPixmap &view : views)
        view.setDevicePixelRatio(1); // placed pixel for pixel
    painter.drawPixmap(0, 0, views[0]);
    painter.drawPixmap(views[0].width() + kScaledGap, 0, views[1]);
    painter.end();
    const QString path = s.dir.filePath(name);
    if (!both.save(path, "PNG"))
        return "cannot write " + path;
    QTextStream(stdout) << "wrote " << path << " at scale " << s.window.devicePixelRatioF() << "\n";
    return QString();
}
} // namespace

QString takeScaledScreenshot(MainWindow &window, const QDir &outDir, const QString &name)
{
    Shots s{window, MainWindowProbe(window), outDir};
    return scaledTable(s, name);
}

QString takeScreenshots(MainWindow &window, const QDir &outDir)
{
    Shots s{window, MainWindowProbe(window), outDir};
    for (auto step : {autoTable, chart, autoFaults, coDialog, xmaxFaults, report}) {
        const QString error = step(s);
        if (!error.isEmpty())
            return error;
    }
    return QString();
}
