// SPDX-License-Identifier: GPL-3.0-or-later
// The wake-up pulse on virtual time (tests/virtual/virtualtime.h). Linked
// into a test program, it stands in for session/wakeuppulse.cpp: the busy wait
// only moves the clock on. The window's own delay runs the event loop as
// ever, and the dispatcher jumps the clock to its end. A program that runs
// on virtual time only when asked (tavrix-screenshots) sleeps otherwise.
#include "session/sessionengine.h"
#include "virtualtime.h"

#include <chrono>
#include <thread>

void SessionEngine::delayLogin(int ms)
{
    if (!running_ || ms <= 0)
        return;
    if (VirtualTime::installed())
        VirtualTime::advanceNs(sim::Nanos(ms) * 1000000);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
