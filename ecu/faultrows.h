// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FAULTROWS_H
#define FAULTROWS_H

// The item codes whose values are fault codes or counts of them, in both
// families: the table rows the cycles read codes from, the journal keeps
// apart from the chart, and the report names.
namespace FaultRows {
constexpr int EepromFault = 60;
constexpr int History = 61; // the fault history
constexpr int Current =
    62; // Auto: the count of stored codes (cleared here); KWP: the current codes
constexpr int Reinstatement = 63;
} // namespace FaultRows

#endif // FAULTROWS_H
