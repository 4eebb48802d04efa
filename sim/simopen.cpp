// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated cable opens at once, on the caller's thread and clock, so
// that a session on virtual time runs the same every time (in place of
// link/lookup/openthread.cpp on the real machine).
#include "link/adapteropen.h"

bool adapterOpensOnThread()
{
    return false;
}
