#ifndef SIMSUPPORT_H
#define SIMSUPPORT_H

#include "sim/virtualcable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// Process events until `done` holds or the ceiling passes. Generous
// ceilings: the suite runs on a loaded two-core machine.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// The bytes the application has written, oldest first.
inline std::vector<std::uint8_t> sentBytes()
{
    std::vector<std::uint8_t> out;
    for (const auto &b : sim::VirtualCable::instance().transmitted())
        out.push_back(b.value);
    return out;
}

#endif // SIMSUPPORT_H
