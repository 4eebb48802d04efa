// SPDX-License-Identifier: GPL-3.0-or-later
// Soak run: the window polls the demo bike for a while, in real time, and
// every 30 s this prints resident memory, ticks, log-line patterns and the
// sizes of what could grow. Not part of the test suite (it takes minutes).
// The bike is the demo bike's ECU of the family, seated on its own so that
// the simulation's own records (bytes sent, frames heard) can be emptied at
// each sample and only the program's memory is measured.
//
//   tavrix-soak auto|kwp [seconds=600]
#include "support/mainwindowprobe.h"

#include "sim/autoecu.h"
#include "sim/kwpecu.h"
#include "sim/virtualcable.h"

#include <QApplication>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>

#include <psapi.h> // after windows.h, which it needs
#else
#include <unistd.h>
#endif

namespace {
constexpr int kSampleMs = 30000;
QMap<QString, int> patterns; // log lines of the current sample, numbers blanked

void countLine(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    static const QRegularExpression numbers("[0-9a-fA-F]+");
    QString pattern = msg;
    pattern.replace(numbers, "#");
    ++patterns[pattern];
}

#ifdef Q_OS_WIN
long residentKb() // the working set
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return long(counters.WorkingSetSize / 1024);
}
#else
long residentKb()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}
#endif

struct Soak {
    std::shared_ptr<sim::KwpEcu> kwpEcu;
    MainWindow window;
    MainWindowProbe probe{window};
    long firstKb = 0;
    long lastKb = 0;
    int samples = 0;

    void sample()
    {
        sim::VirtualCable &cable = sim::VirtualCable::instance();
        const long kb = residentKb();
        if (samples++ == 1)
            firstKb = kb; // after the login and the scan
        lastKb = kb;
        QString top;
        int topCount = 0;
        for (auto it = patterns.cbegin(); it != patterns.cend(); ++it)
            if (it.value() > topCount) {
                top = it.key();
                topCount = it.value();
            }
        std::printf(
            "%4ds rss %6ld kB  bytes sent %6zu  log lines %6d  patterns %2d  top %5d \"%s\"  "
            "rows %d  objects %d  calls kept %zu\n",
            samples * kSampleMs / 1000, kb, cable.transmitted().size(),
            [] {
            int n = 0;
            for (int c : patterns)
                n += c;
            return n;
        }(), int(patterns.size()), topCount, qPrintable(top.left(60)), probe.table()->rowCount(),
            int(window.findChildren<QObject *>().size()), cable.libraryCalls().size());
        std::fflush(stdout);
        patterns.clear();
        cable.clearHistory();
        if (kwpEcu)
            kwpEcu->clearHeard();
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool kwp = argc > 1 && QByteArray(argv[1]) == "kwp";
    const int seconds = argc > 2 ? QByteArray(argv[2]).toInt() : 600;
    qInstallMessageHandler(countLine);
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    cable.reset();
    std::shared_ptr<sim::KwpEcu> kwpEcu;
    if (kwp) {
        kwpEcu = std::make_shared<sim::KwpEcu>(sim::KwpEcuConfig::demo());
        cable.seat(kwpEcu);
    } else {
        cable.seat(std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixionDemo()));
    }
    Soak soak;
    soak.kwpEcu = kwpEcu;
    if (kwp)
        soak.probe.typeBox()->setCurrentIndex(1);
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { soak.sample(); });
    sampler.start(kSampleMs);
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    std::printf("%s: rss after the first sample %ld kB, at the end %ld kB (%+ld kB)\n",
                kwp ? "kwp" : "auto", soak.firstKb, soak.lastKb, soak.lastKb - soak.firstKb);
    return 0;
}
