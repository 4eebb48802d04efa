// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-chart-soak [hours=2]: the chart window open for hours of polling,
// on virtual time (minutes here). The demo's Auto bike is polled at the
// fastest pace: the throttle, but for ten minutes of the intake pressure
// after its ring is full (a second item, and a gap in the throttle's
// line); the last quarter shows the whole session. Every ten virtual minutes
// it prints resident memory, the values the journal keeps of the throttle
// and the chart's redraws: once the throttle's ring is full (one hour at
// this pace) the memory stays as it is.
#include "bench/harness.h"
#include "support/simsupport.h"
#include "virtualtime.h"

#include "ecu/sessionstate.h"
#include "sim/autoecu.h"
#include "ui/chartwindow.h"

#include <QAction>
#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kSampleMinutes = 10;
constexpr int kThrottle = 1;
constexpr int kPressure = 3;
constexpr int kPressureTurn = 8; // minutes 70 to 80
} // namespace

int main(int argc, char **argv)
{
    VirtualTime::install();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    const int hours = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    sim::VirtualCable::instance().seat(
        std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixionDemo()));
    MainWindow window;
    MainWindowProbe probe(window);
    probe.journal().setClock(&VirtualTime::nowMs, QDateTime::currentDateTime());
    const auto rowOf = [&](int code) { return probe.rowCodes().indexOf(code); };
    if (!waitUntil([&] {
        return probe.sessionState() == SessionState::Up && rowOf(kPressure) >= 0;
    }, 60000)) {
        std::fprintf(stderr, "no session\n");
        return 1;
    }
    probe.tableMenu()->chartAction()->trigger();
    ChartWindow *chart = probe.tableMenu()->chartWindow();
    std::printf("%8s %12s %14s %12s %10s\n", "minutes", "resident KiB", "throttle kept", "pieces",
                "redraws");
    const int samples = hours * 60 / kSampleMinutes;
    for (int i = 1; i <= samples; ++i) {
        probe.clickRow(rowOf(i == kPressureTurn ? kPressure : kThrottle));
        if (i == samples - samples / 4 + 1)
            chart->setSpan(ChartWindow::WholeSession);
        runFor(kSampleMinutes * 60 * 1000);
        // The cable's own record of every byte is the simulation's, not ours.
        sim::VirtualCable::instance().clearHistory();
        const ItemHistory *throttle = probe.journal().item(kThrottle);
        std::printf("%8d %12.0f %14d %12d %10d\n", i * kSampleMinutes, bench::residentKiB(),
                    throttle ? throttle->samples().size() : 0,
                    int(chart->drawnLines(kThrottle).size()), chart->redraws());
        std::fflush(stdout);
    }
    probe.pollTimer()->stop();
    return 0;
}
