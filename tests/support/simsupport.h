// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SIMSUPPORT_H
#define SIMSUPPORT_H

#include "sim/virtualcable.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include <cstdint>
#include <functional>

// Process events until `done` holds or the ceiling passes. Generous
// ceilings: the suite runs on a loaded two-core machine.
// On virtual time (tests/virtual) the ceiling is virtual too, and the loop
// waits for the next timer instead of sleeping.
inline bool onVirtualTime()
{
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher && dispatcher->objectName() == QLatin1String("tavrix-virtual-time");
}

inline bool waitUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    if (onVirtualTime()) {
        bool expired = false;
        QTimer ceiling;
        ceiling.setSingleShot(true);
        QObject::connect(&ceiling, &QTimer::timeout, [&expired] { expired = true; });
        ceiling.start(timeoutMs);
        while (!done()) {
            if (expired)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return true;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Lets `ms` pass with events running (on virtual time, virtual ms).
inline void runFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

// Time passed on the cable's clock: virtual time in the suites that run on
// it, the steady clock elsewhere.
class CableClock
{
public:
    void start() { startNs_ = sim::nowNs(); }
    qint64 elapsed() const { return (sim::nowNs() - startNs_) / 1000000; }
    qint64 nsecsElapsed() const { return sim::nowNs() - startNs_; }

private:
    sim::Nanos startNs_ = 0;
};

// The bytes the application has written, oldest first.
inline std::vector<std::uint8_t> sentBytes()
{
    std::vector<std::uint8_t> out;
    for (const auto &b : sim::VirtualCable::instance().transmitted())
        out.push_back(b.value);
    return out;
}

#endif // SIMSUPPORT_H
