// SPDX-License-Identifier: GPL-3.0-or-later
// The busy wait of the KWP wake-up pulse. It lives apart so that a harness
// can link its own in its place: virtual time moves its clock on instead.
#include "session/sessionengine.h"

#include <QElapsedTimer>

#include <chrono>
#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
// The last part of the wake-up pulse is spun, not slept (see delayLogin).
constexpr qint64 kLoginSpinNs = 3000000;

#ifdef Q_OS_WIN
// Windows sleeps in timer ticks of 15.6 ms unless some program has asked for
// finer ones: a sleep could end a tick late and stretch the 25 ms pulse past
// what the ECU wakes to. So the whole pulse is spun on the performance counter.
void spinOnPerformanceCounter(int ms)
{
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const LONGLONG ticks = frequency.QuadPart * ms / 1000;
    do
        QueryPerformanceCounter(&now);
    while (now.QuadPart - start.QuadPart < ticks);
}
#endif
} // namespace

void SessionEngine::delayLogin(int ms)
{
    // The wake-up pulse must not stretch while events run, so none is
    // processed here. Most of the wait is slept and only its end is spun:
    // a thread spinning through the whole pulse uses up its share of a busy
    // CPU and is preempted just when the pulse should end, one that slept
    // is run at once when it wakes.
    if (!running_)
        return;
#ifdef Q_OS_WIN
    spinOnPerformanceCounter(ms);
#else
    QElapsedTimer clock;
    clock.start();
    if (ms <= 0)
        return;
    const qint64 sleepNs = qint64(ms) * 1000000 - kLoginSpinNs;
    if (sleepNs > 0)
        std::this_thread::sleep_for(std::chrono::nanoseconds(sleepNs));
    while (ms - int(clock.nsecsElapsed() / 1000000) > 0) {
    }
#endif
}
