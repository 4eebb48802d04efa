// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef EFFECTS_H
#define EFFECTS_H

#include <QString>

#include <optional>

// What a protocol cycle asks the window to show after a decision: the
// window applies it in one place (MainWindow::apply), in this order. The
// cycle's own state (sessionState, the pointer, the selection and the
// press) the window reads from the cycle afterwards.
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
    std::optional<QString> status;
    int timerMs = -1; // the poll timer starts again at this interval
};

#endif // EFFECTS_H
