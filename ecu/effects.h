// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef EFFECTS_H
#define EFFECTS_H

#include "ecu/faultreading.h"
#include "ecu/status.h"

#include <QString>

#include <optional>

// What a protocol cycle decided the mechanic sees after a step or an
// answer. The session engine adds what it decides itself and the window
// shows the whole in one place.
struct Effects {
    bool clearTable = false;
    int addRow = -1;   // the item code of a row to append
    int valueRow = -1; // the row whose Value cell gets `value`
    QString value;
    std::optional<bool> checking; // the "Checking" label on or off
    std::optional<QString> info;  // the "Info:" label
    std::optional<int> rpm;
    std::optional<int> co;
    bool display = false;        // the CO window shows rpm and co (while the session is up)
    bool offerCylinders = false; // a two-cylinder model: the cylinder box is enabled
    std::optional<Status> status;

    // What the session learnt, for its journal (the chart and the report).
    QString ecuNamed;  // the ECU as its login identified it
    int faultRow = -1; // 61 or 62: `faults` is what was just read there
    FaultReading faults;
    bool faultsCleared = false; // the ECU has just been told to erase its fault codes
};

#endif // EFFECTS_H
