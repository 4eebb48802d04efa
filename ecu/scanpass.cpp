// SPDX-License-Identifier: GPL-3.0-or-later
#include "ecu/scanpass.h"

namespace ScanPass {

namespace {
constexpr int kFirstItem = 1;
} // namespace

Outcome met(ItemWalk &walk, int code, const QList<int> &closing, Effects &out)
{
    Outcome outcome;
    outcome.restarted = walk.scanOutOfStep();
    const int pass = walk.scanPass();
    if (code != kFirstItem) {
        outcome.row = pass == 1 ? code : -1; // items met before item 1 are not listed
        outcome.moveOn = true;
    } else if (pass == 0) {
        outcome.restarted = true;
        outcome.row = code;
        outcome.moveOn = true;
        walk.setScanPass(1);
    } else {
        // Item 1 again: a closing row, the pointer staying on item 1.
        const int index = pass - 1;
        outcome.complete = index + 1 >= closing.size();
        if (index < closing.size()) {
            outcome.row = closing.at(index);
            outcome.closingRow = true;
        }
        walk.setScanPass(outcome.complete ? 0 : pass + 1);
    }
    if (outcome.restarted) {
        walk.restartScan(walk.scanPass());
        out.clearTable = true;
    }
    if (outcome.row >= 0) {
        outcome.closingRow ? walk.addClosingRow(outcome.row) : walk.addItemRow(outcome.row);
        out.addRow = outcome.row;
    }
    if (outcome.complete)
        walk.pointer().startOnFirstRow();
    return outcome;
}

} // namespace ScanPass
