// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SCANPASS_H
#define SCANPASS_H

#include "ecu/effects.h"
#include "ecu/itemwalk.h"

#include <QList>

// How the scan builds the table, for both families. The table lists the
// ECU's items from item 1 on, one row per up move sent since item 1: an
// item announced when the two disagree means an announcement was lost (the
// item would be missing, and every row behind it one step off), so the
// table goes and a new pass begins at the next item 1. Back at item 1 the
// pass closes: the rows that follow the items (`closing`: the KWP
// fault-code rows) come one per return to item 1, and then the table is
// complete with the ECU on item 1, the first row.
namespace ScanPass {

struct Outcome {
    bool restarted = false;  // the table went: a new pass
    int row = -1;            // the code of the row added; -1: none
    bool closingRow = false; // that row is one of `closing`
    bool complete = false;   // the table is whole and the pointer on its first row
    bool moveOn = false;     // the scan moves the pointer on to the next item
};

// The ECU announced item `code` during the scan: the walk and `out` (the
// table cleared, a row added) follow.
Outcome met(ItemWalk &walk, int code, const QList<int> &closing, Effects &out);

} // namespace ScanPass

#endif // SCANPASS_H
