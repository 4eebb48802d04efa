// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATUSTEXTS_H
#define STATUSTEXTS_H

#include "ecu/status.h"

// The status bar's texts of the ECU session, shown until replaced.
namespace StatusText {
constexpr const char *EngineOn = "Connected-Engine On";
constexpr const char *EngineOff = "Connected-Engine Off";
constexpr const char *NotConnected = "Not Connect.";
constexpr const char *WakingUp = "Connecting...";
constexpr const char *LostEcu = "Connecting......";

constexpr const char *of(Status status)
{
    switch (status) {
    case Status::EngineOn: return EngineOn;
    case Status::EngineOff: return EngineOff;
    case Status::NotConnected: return NotConnected;
    case Status::WakingUp: return WakingUp;
    case Status::LostEcu: return LostEcu;
    }
    return EngineOff;
}
} // namespace StatusText

#endif // STATUSTEXTS_H
