// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ADAPTEROPEN_H
#define ADAPTEROPEN_H

#include "link/cablesighting.h"
#include "link/openfailure.h"

struct ftdi_context;

// One attempt to open the adapter, made apart from the link object so that
// it can run on a thread of its own.
struct AdapterOpen {
    ftdi_context *context = nullptr; // what was opened (configured or not); null when nothing was
    bool configured = false;         // every step done: the line is usable
    OpenFailure failure;
    CableSighting sighting; // what the system said of the cable, after a failure
    int tookMs = 0;         // how long the attempt took on its thread (0: at once)
};

// Where an open runs. Defined twice, as lookUpCable is: the real adapter
// opens on a thread of its own (an open enumerates the USB devices, and on
// Windows that can take a second for each device without a driver); the
// simulated cable opens at once, on the caller's clock.
bool adapterOpensOnThread();

#endif // ADAPTEROPEN_H
