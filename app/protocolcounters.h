// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PROTOCOLCOUNTERS_H
#define PROTOCOLCOUNTERS_H

// Step counters that outlive a tick, a session and a change of mode: they
// belong to the process, not to the window.
struct ProtocolCounters {
    int loginStep = 0;       // Auto login sequence
    int coLoginStep = 0;     // Auto CO login
    int cylinderStep = 0;    // Auto cylinder change
    int loginPulseMs = 25;   // KWP wake-up pulse of the polling cycle
    int loginPulseMsCo = 25; // KWP wake-up pulse of the CO cycle
};

ProtocolCounters &protocolCounters();

#endif // PROTOCOLCOUNTERS_H
