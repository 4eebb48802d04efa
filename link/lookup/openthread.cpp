// SPDX-License-Identifier: GPL-3.0-or-later
// The real adapter opens on a thread of its own: libusb enumerates every USB
// device on each open, and on Windows that can hold the caller a second for
// each device without a driver (the cable itself before WinUSB is bound).
#include "link/adapteropen.h"

bool adapterOpensOnThread()
{
    return true;
}
