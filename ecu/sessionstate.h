// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SESSIONSTATE_H
#define SESSIONSTATE_H

// The values of sessionState, as the protocol cycles name
// their states (each cycle's State enum is defined on these).
namespace SessionState {
constexpr int None = 0;        // no session: a login runs
constexpr int Up = 1;          // a session is up: polling, or the CO reading
constexpr int CylinderOne = 2; // Auto CO: the change to cylinder "1" runs
constexpr int CylinderTwo = 3; // Auto CO: the change to cylinder "2" runs
constexpr int Scan = 11;       // KWP: the table scan
constexpr int Search = 12;     // KWP: the search for item 1
} // namespace SessionState

#endif // SESSIONSTATE_H
