// SPDX-License-Identifier: GPL-3.0-or-later
// The harness's waits: no real time passes, the cable's clock moves on.
// Defining them here keeps the application library's waits out of the link.
#include "session/sessionengine.h"

#include "fuzz/fuzzdriver.h"

void SessionEngine::delay(int ms)
{
    if (!running_)
        return;
    fuzzdrive::advanceClock(ms);
}

void SessionEngine::delayLogin(int ms)
{
    if (!running_)
        return;
    fuzzdrive::advanceClock(ms);
}
