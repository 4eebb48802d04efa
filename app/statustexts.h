// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATUSTEXTS_H
#define STATUSTEXTS_H

// The status bar's texts of the ECU session, shown until replaced.
namespace StatusText {
constexpr const char *EngineOn = "Connected-Engine On";
constexpr const char *EngineOff = "Connected-Engine Off";
constexpr const char *NotConnected = "Not Connect.";
constexpr const char *WakingUp = "Connecting...";
constexpr const char *LostEcu = "Connecting......";
} // namespace StatusText

#endif // STATUSTEXTS_H
