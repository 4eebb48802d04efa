// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_HARNESS_H
#define BENCH_HARNESS_H

// The application under measurement: a fresh MainWindow over the simulated
// cable, with a hook after every tick of its poll timer, and the process's
// own cost (CPU time, resident memory).

#include "support/mainwindowprobe.h"

#include "sim/virtualcable.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bench {

// Runs the event loop (and with it every timer of the window) for `ms`,
// or until `done` holds (checked every 10 ms). False when the time ran out
// before `done` held.
bool runEvents(int ms, const std::function<bool()> &done = {});

double cpuSeconds();      // CPU time of this process so far
double wallSeconds();     // steady clock
double residentKiB();     // resident set now
double peakResidentKiB(); // high-water mark of the resident set

// A system-wide file of Linux's /proc as this program reaches it: as it is
// on Linux, on Windows only under Wine (drive Z: is the Unix root), else
// none (empty). Not for per-process files: Wine's server opens the files.
std::string procFile(const char *path);

// A cable made fresh for one figure, with `ecu` seated, and the window.
class Bench
{
public:
    explicit Bench(std::shared_ptr<sim::EcuModel> ecu, bool xmax);
    ~Bench();

    MainWindow window;
    MainWindowProbe probe{window};

    // Called after each tick of the poll timer has returned (the window's
    // own slot runs first: it was connected first).
    void onTick(std::function<void()> hook) { hook_ = std::move(hook); }
    int ticks() const { return ticks_; }
    bool waitConnected(int ms = 20000);
    // Clicks `row` and waits until the ECU stands on it and its value shows.
    bool selectAndRead(int row, int ms = 30000);

private:
    std::function<void()> hook_;
    int ticks_ = 0;
    QMetaObject::Connection tickConnection_;
};

} // namespace bench

#endif // BENCH_HARNESS_H
