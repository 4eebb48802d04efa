// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATUS_H
#define STATUS_H

// What the status bar says of the ECU session, as a value: the window
// alone turns it into its text.
enum class Status {
    EngineOn,     // a session is up
    EngineOff,    // connected, no session (or the engine reports nothing)
    NotConnected, // the cable is not open
    WakingUp,     // a KWP wake-up and login under way
    LostEcu,      // the KWP ECU went quiet: a pause, then a new login
};

#endif // STATUS_H
