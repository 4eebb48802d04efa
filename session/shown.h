// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SHOWN_H
#define SHOWN_H

#include "ecu/effects.h"
#include "ecu/itemcatalogue.h"

#include <QString>

#include <optional>

// What the session engine decided the mechanic sees, after a cycle's step
// or answer, a click, a key, the cable: the cycle's effects and what the
// engine adds of its own. The window shows it in one place, in this order.
struct Shown : Effects {
    explicit Shown(const Effects &effects = Effects()) : Effects(effects) {}

    // The journal hears these first.
    QString typeChosen;     // "auto" or "xmax": the type box changed
    bool cableLost = false; // a write failed: the line is gone

    std::optional<ItemCatalogue::ItemRow> row; // the row appended (its code is addRow)
    std::optional<bool> actionEnabled;         // the Action button

    // The CO window's display: engine speed and the CO setting.
    struct CoDisplay {
        int rpm;
        int co;
    };
    std::optional<CoDisplay> coDisplay;

    bool sessionChanged = false; // a session came up or ended
    int itemSelected = -1;       // the code of the row the mechanic chose
    // Wait cursors: one while the row chosen is not yet reached, one while
    // an Action press is not yet carried out.
    std::optional<bool> selectionBusy;
    std::optional<bool> actionBusy;
    // Beside "Not Connect.": why the cable would not open; empty once it is.
    std::optional<QString> cableHint;
};

#endif // SHOWN_H
