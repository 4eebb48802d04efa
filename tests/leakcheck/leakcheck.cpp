// SPDX-License-Identifier: GPL-3.0-or-later
// Leak check: connect, drop and reconnect 200 times and poll a few thousand
// ticks of each family with the chart window open, save a CSV and a report,
// then take the window down. Built in every build; in
// the ASan build LeakSanitizer reports what is left at exit (lsan.supp
// names the few allocations Qt's platform plugin keeps for the process).
//
// The window never deletes its CO window (it is meant to live as long as
// the program); this check deletes it itself after the window, so that
// anything else left over is a real leak.
#include "fuzz/fuzzdriver.h"
#include "sim/autoecu.h"
#include "sim/kwpecu.h"
#include "support/mainwindowprobe.h"

#include "ui/chartwindow.h"
#include "ui/cowindow.h"

#include <QAction>
#include <QApplication>
#include <QMetaObject>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {
constexpr int kCycles = 200;
constexpr int kPollTicks = 3000;
constexpr int kCoTicks = 500;
constexpr int kLoginTicks = 4000; // ceiling for a login and a scan
constexpr int kRedrawEvery = 100;
int failures = 0;
int ticks = 0;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "leakcheck: FAILED: %s\n", what);
        ++failures;
    }
}

struct Run {
    bool kwp;
    MainWindow *window = new MainWindow;
    MainWindowProbe probe{*window};

    void tick(bool co = false)
    {
        const char *slot = kwp ? (co ? "co_send_clicked_xmax" : "send_clicked_xmax")
                               : (co ? "co_send_clicked" : "send_clicked");
        QMetaObject::invokeMethod(window, slot);
        ++ticks;
        probe.pollTimer()->stop();
        fuzzdrive::advanceClock(30);
    }
    bool polling()
    {
        const int rows = kwp ? 16 : 24; // the demo bikes' tables
        return probe.sessionState() == SessionState::Up && probe.table()->rowCount() == rows;
    }
    bool untilPolling()
    {
        for (int i = 0; i < kLoginTicks && !polling(); ++i)
            tick();
        return polling();
    }
    void connect() { QMetaObject::invokeMethod(window, "connect_clicked"); }
};

void runFamily(bool kwp)
{
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    cable.reset();
    if (kwp)
        cable.seat(std::make_shared<sim::KwpEcu>(sim::KwpEcuConfig::demo()));
    else
        cable.seat(std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixionDemo()));
    Run run{kwp};
    if (kwp)
        run.probe.typeBox()->setCurrentIndex(1);
    run.connect();
    // Ticks are driven by hand; the window's own timers never get to run.
    QObject::disconnect(run.probe.pollTimer(), nullptr, &run.probe.engine(), nullptr);
    check(run.untilPolling(), "first login and scan");
    // The chart window open, drawn now and then, through everything below;
    // a CSV and a report saved. All goes with the window.
    run.probe.tableMenu()->chartAction()->trigger();
    ChartWindow *chart = run.probe.tableMenu()->chartWindow();
    check(chart != nullptr, "chart window open");
    for (int i = 0; i < kPollTicks; ++i) {
        run.tick();
        if (chart && i % kRedrawEvery == 0)
            chart->redraw();
    }
    QTemporaryDir files;
    QString error;
    check(run.probe.tableMenu()->saveCsv(files.filePath("data.csv"), &error), "CSV saved");
    check(run.probe.tableMenu()->saveReport(files.filePath("report.pdf"), &error), "report saved");
    for (int i = 0; i < kCycles; ++i) {
        cable.unplug();
        run.tick(); // the write fails: "Not Connect.", the timer stops
        if (run.probe.status() != "Not Connect.")
            std::fprintf(stderr, "%s status after the drop: %s\n", kwp ? "kwp" : "auto",
                         qPrintable(run.probe.status()));
        check(run.probe.status() == "Not Connect.", "drop shows Not Connect.");
        cable.plug();
        run.connect(); // what the reconnect timer does
        for (int t = 0; t < 5; ++t)
            run.tick();
        check(cable.contextsAlive() <= 1 && cable.openHandles() <= 1, "one context at a time");
        cable.clearHistory();
    }
    check(run.untilPolling(), "login and scan after the drops");
    for (int i = 0; i < kCoTicks; ++i)
        run.tick(true);
    CoWindow *co = run.probe.coWindow();
    delete run.window;
    delete co;
    cable.seat(nullptr);
    check(cable.contextsAlive() == 0, "every context released");
    check(cable.openHandles() == 0, "every handle closed");
    std::printf("leakcheck %s: %d ticks, %d drops, contexts alive %d, open handles %d\n",
                kwp ? "kwp" : "auto", ticks, kCycles, cable.contextsAlive(), cable.openHandles());
    ticks = 0;
}

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quiet);
    fuzzdrive::useVirtualClock();
    runFamily(false);
    runFamily(true);
    std::printf("leakcheck: %d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
    return failures ? 1 : 0;
}
