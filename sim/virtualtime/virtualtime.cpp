// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtualtime/virtualtime.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimerEvent>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Exported by QtCore: events posted and not yet delivered.
Q_CORE_EXPORT uint qGlobalPostedEventsCount();

namespace {

constexpr sim::Nanos kNsPerMs = 1000000;
// A loop that waits while nothing at all is scheduled would wait for ever;
// give up loudly instead of hanging the suite.
constexpr int kIdleSpinsAllowed = 1000;

sim::Nanos virtualNow = 1000 * kNsPerMs;
int outermostLoop = 0;
bool skipLikeQt = false;

class VirtualDispatcher : public QAbstractEventDispatcher
{
public:
    bool processEvents(QEventLoop::ProcessEventsFlags flags) override
    {
        interrupted_ = false;
        emit awake();
        QCoreApplication::sendPostedEvents();
        // A test's own wait loop stands for the application's outermost
        // loop: objects a shown window or a closed dialog leaves for later
        // deletion go here, as they would there. Left queued, they would
        // keep the clock from ever moving on.
        if (QThread::currentThread()->loopLevel() <= outermostLoop)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QWindowSystemInterface::sendWindowSystemEvents(flags);
        if (interrupted_)
            return true;
        passOverRunningTimers();
        if (Timer *due = nextTimer(); due && due->dueAt <= virtualNow) {
            fire(*due);
            return true;
        }
        if (!(flags & QEventLoop::WaitForMoreEvents) || somethingQueued())
            return false;
        Timer *next = nextTimer();
        if (!next) {
            if (++idleSpins_ > kIdleSpinsAllowed) {
                std::fprintf(stderr, "virtual time: the event loop waits with no timer left\n");
                std::abort();
            }
            return false;
        }
        idleSpins_ = 0;
        virtualNow = std::max(virtualNow, next->dueAt);
        passOverRunningTimers();
        fire(*next);
        return true;
    }

    bool hasPendingEvents() override { return somethingQueued(); }
    void registerSocketNotifier(QSocketNotifier *) override {}
    void unregisterSocketNotifier(QSocketNotifier *) override {}
#ifdef Q_OS_WIN
    bool registerEventNotifier(QWinEventNotifier *) override { return false; }
    void unregisterEventNotifier(QWinEventNotifier *) override {}
#endif

    void registerTimer(int id, int intervalMs, Qt::TimerType type, QObject *object) override
    {
        timers_.push_back({id, intervalMs, type, object,
                           virtualNow + sim::Nanos(intervalMs) * kNsPerMs, ++serial_, false});
    }

    bool unregisterTimer(int id) override
    {
        const auto it = std::find_if(timers_.begin(), timers_.end(),
                                     [id](const Timer &t) { return t.id == id; });
        if (it == timers_.end())
            return false;
        timers_.erase(it);
        return true;
    }

    bool unregisterTimers(QObject *object) override
    {
        const auto end = std::remove_if(timers_.begin(), timers_.end(),
                                        [object](const Timer &t) { return t.object == object; });
        const bool any = end != timers_.end();
        timers_.erase(end, timers_.end());
        return any;
    }

    QList<TimerInfo> registeredTimers(QObject *object) const override
    {
        QList<TimerInfo> list;
        for (const Timer &t : timers_) {
            if (t.object == object)
                list.append(TimerInfo(t.id, t.intervalMs, t.type));
        }
        return list;
    }

    int remainingTime(int id) override
    {
        for (const Timer &t : timers_) {
            if (t.id == id)
                return int(std::max<sim::Nanos>(0, t.dueAt - virtualNow) / kNsPerMs);
        }
        return -1;
    }

    void wakeUp() override {}
    void interrupt() override { interrupted_ = true; }
    void flush() override {}

private:
    struct Timer {
        int id;
        int intervalMs;
        Qt::TimerType type;
        QObject *object;
        sim::Nanos dueAt;
        quint64 serial; // tells a re-registered id from the old timer
        bool firing;    // a timer is not delivered again inside its own handler
    };

    static bool somethingQueued()
    {
        return qGlobalPostedEventsCount() > 0
               || QWindowSystemInterface::windowSystemEventsQueued() > 0;
    }

    // Qt's own dispatchers (Unix and Windows alike) do not deliver a timer
    // again while its handler runs, and a timeout that falls due meanwhile
    // is passed over, not kept for when the handler returns: a 30 ms timer
    // whose handler waits 50 ms fires every 60 ms.
    void passOverRunningTimers()
    {
        if (!skipLikeQt)
            return;
        for (Timer &t : timers_) {
            while (t.firing && t.intervalMs > 0 && t.dueAt <= virtualNow)
                t.dueAt += sim::Nanos(t.intervalMs) * kNsPerMs;
        }
    }

    // The earliest timer that may fire; the older of two due together.
    Timer *nextTimer()
    {
        Timer *best = nullptr;
        for (Timer &t : timers_) {
            if (t.firing)
                continue;
            if (!best || t.dueAt < best->dueAt
                || (t.dueAt == best->dueAt && t.serial < best->serial))
                best = &t;
        }
        return best;
    }

    void fire(Timer &timer)
    {
        const int id = timer.id;
        const quint64 serial = timer.serial;
        QObject *object = timer.object;
        timer.firing = true;
        timer.dueAt += sim::Nanos(timer.intervalMs) * kNsPerMs;
        if (timer.dueAt <= virtualNow && timer.intervalMs > 0)
            timer.dueAt = virtualNow + sim::Nanos(timer.intervalMs) * kNsPerMs;
        QTimerEvent event(id);
        QCoreApplication::sendEvent(object, &event);
        // The handler may have killed the timer, or killed it and started
        // another under the same id.
        for (Timer &t : timers_) {
            if (t.id == id && t.serial == serial)
                t.firing = false;
        }
    }

    std::vector<Timer> timers_;
    quint64 serial_ = 0;
    bool interrupted_ = false;
    int idleSpins_ = 0;
};

bool isInstalled = false;

} // namespace

namespace VirtualTime {

void install()
{
    auto *dispatcher = new VirtualDispatcher;
    dispatcher->setObjectName(QStringLiteral("tavrix-virtual-time"));
    QCoreApplication::setEventDispatcher(dispatcher);
    isInstalled = true;
    restoreCableClock();
}

void restoreCableClock()
{
    sim::setClock([] { return virtualNow; });
    // A USB transfer that keeps the thread waiting moves virtual time on,
    // as the busy wait of the wake-up pulse does.
    sim::setSleeper([](sim::Nanos until) { advanceNs(until - virtualNow); });
}

void runInApplicationLoop()
{
    outermostLoop = 1;
    skipLikeQt = true;
}

bool installed()
{
    return isInstalled;
}

sim::Nanos nowNs()
{
    return virtualNow;
}

qint64 nowMs()
{
    return virtualNow / kNsPerMs;
}

void advanceNs(sim::Nanos ns)
{
    virtualNow += std::max<sim::Nanos>(ns, 0);
}

} // namespace VirtualTime
