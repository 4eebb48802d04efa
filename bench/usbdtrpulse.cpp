// SPDX-License-Identifier: GPL-3.0-or-later
// Wake-up pulse widths as the emulated adapter sees them: the window's own
// link pulls DTR low, the window's busy wait runs delay_login(25), DTR goes
// high again; the chip stamps each modem-control request on arrival.
// Run: QT_QPA_PLATFORM=offscreen build/usb-dtr-pulse [pulses]

#include "support/mainwindowprobe.h"

#include "link/usbserial.h"
#include "sim/usbemu/emulatedbus.h"
#include "sim/usbemu/umockdevpreload.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kPulseMs = 25;
constexpr int kGapMs = 120;

void printStats(const char *what, std::vector<double> widths)
{
    if (widths.empty())
        return;
    std::sort(widths.begin(), widths.end());
    double sum = 0;
    for (double w : widths)
        sum += w;
    std::printf("%s: n=%zu min %.3f ms, median %.3f ms, mean %.3f ms, max %.3f ms\n", what,
                widths.size(), widths.front(), widths[widths.size() / 2], sum / widths.size(),
                widths.back());
}

std::vector<double> chipWidths(sim::usbemu::Ft232rEmulator &adapter)
{
    std::vector<double> widths;
    adapter.inspect([&](const sim::usbemu::Ft232rChip &, sim::VirtualCable &cable) {
        const auto &edges = cable.dtrEdges();
        for (std::size_t i = 1; i < edges.size(); ++i) {
            if (!edges[i - 1].level && edges[i].level)
                widths.push_back((edges[i].at - edges[i - 1].at) / 1e6);
        }
    });
    return widths;
}
} // namespace

int main(int argc, char **argv)
{
    sim::usbemu::ensureUmockdevPreload(argv);
    const int pulses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    cable.reset();
    sim::usbemu::Ft232rEmulator adapter(cable);
    sim::usbemu::EmulatedBus bus(adapter);
    if (!bus.ready() || !bus.plugAdapter())
        return 1;
    QApplication app(argc, argv);
    MainWindow window;
    MainWindowProbe probe(window);
    QElapsedTimer wait;
    wait.start();
    while (!probe.pollTimer()->isActive() && wait.elapsed() < 20000)
        app.processEvents(QEventLoop::AllEvents, 10);
    if (!probe.pollTimer()->isActive())
        return 1;
    probe.pollTimer()->stop();
    std::vector<double> asked;
    for (int i = 0; i < pulses; ++i) {
        QElapsedTimer pulse;
        pulse.start();
        probe.link()->writeDataBit(0);
        probe.delayLogin(kPulseMs);
        probe.link()->writeDataBit(1);
        asked.push_back(pulse.nsecsElapsed() / 1e6);
        QThread::msleep(kGapMs);
    }
    std::printf("asked %d ms, %d pulses\n", kPulseMs, pulses);
    printStats("program (low call to end of high call)", asked);
    printStats("chip (low request to high request)", chipWidths(adapter));
    return 0;
}
