// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/harness.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#ifdef Q_OS_WIN
#include <windows.h>

#include <psapi.h> // after windows.h, which it needs
#else
#include <unistd.h>
#endif

namespace bench {

bool runEvents(int ms, const std::function<bool()> &done)
{
    QEventLoop loop;
    bool timedOut = false;
    QTimer::singleShot(ms, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    QTimer check;
    if (done) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        check.start(10);
    }
    loop.exec();
    return !timedOut || (done && done());
}

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

#ifdef Q_OS_WIN
namespace {
PROCESS_MEMORY_COUNTERS memoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}
} // namespace

// Windows' resident set is the working set.
double residentKiB()
{
    return double(memoryCounters().WorkingSetSize) / 1024.0;
}

double peakResidentKiB()
{
    return double(memoryCounters().PeakWorkingSetSize) / 1024.0;
}
#else
double residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}

double peakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    double value = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> value;
            return value;
        }
    }
    return 0;
}
#endif

std::string procFile(const char *path)
{
#ifdef Q_OS_WIN
    static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    return wine ? std::string("Z:") + path : std::string();
#else
    return path;
#endif
}

namespace {
std::shared_ptr<sim::EcuModel> freshCable(std::shared_ptr<sim::EcuModel> ecu)
{
    sim::VirtualCable::instance().reset();
    sim::VirtualCable::instance().seat(ecu);
    return ecu;
}
} // namespace

Bench::Bench(std::shared_ptr<sim::EcuModel> ecu, bool xmax)
{
    freshCable(std::move(ecu));
    window.show();
    if (xmax)
        probe.typeBox()->setCurrentIndex(1);
    // After the type change: that moved the window's own connection, and
    // ours must come after it to see the tick's outcome.
    tickConnection_ = QObject::connect(probe.pollTimer(), &QTimer::timeout, [this] {
        ++ticks_;
        if (hook_)
            hook_();
    });
}

Bench::~Bench()
{
    QObject::disconnect(tickConnection_);
    probe.pollTimer()->stop();
    window.close();
}

bool Bench::waitConnected(int ms)
{
    return runEvents(ms, [this] { return probe.pollTimer()->isActive(); });
}

bool Bench::selectAndRead(int row, int ms)
{
    probe.clickRow(row);
    return runEvents(ms, [this, row] {
        return !probe.selectionPending() && probe.ecuRow() == row && !probe.cell(row, 3).isEmpty();
    });
}

} // namespace bench
