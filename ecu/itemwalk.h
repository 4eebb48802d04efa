// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ITEMWALK_H
#define ITEMWALK_H

#include "ecu/actionrequest.h"
#include "ecu/ecupointer.h"

#include <QList>

// What a polling cycle knows of the item table: the rows its scan built
// from the ECU's list, where the ECU's pointer stands among them, and what
// the mechanic has asked of them: the row to follow and an Action press.
// Both families' polling cycles hold one; the window shows it.
class ItemWalk
{
public:
    ItemWalk() = default;
    // A cycle that starts while the window still shows an earlier table
    // knows its rows and the row selected, so that a click on one is
    // understood; the pointer stands on none of them until a scan of its own.
    ItemWalk(const QList<int> &shownRows, int selected, int pointerRow)
        : codes_(shownRows), pointer_(pointerRow), selected_(selected)
    {
    }

    // --- the table ---
    const QList<int> &codes() const { return codes_; }
    int codeAt(int row) const { return codes_.value(row, -1); } // -1: no such row
    int pointerRows() const { return pointerRows_; }
    // Rows the pointer can stand on: one per ECU item, row r being r steps
    // from item 1.
    void addItemRow(int code);
    // The rows after the items, out of the pointer's reach (the KWP fault-code rows).
    void addClosingRow(int code);
    // The table goes, and with it the row being followed and where the ECU
    // stood; a scan starts again from item 1.
    void clear();

    // --- the scan (ecu/scanpass.h): a pass holds one row per move sent since item 1 ---
    int scanPass() const { return scanPass_; }
    void setScanPass(int pass) { scanPass_ = pass; }
    void scanMoved() { ++scanMoves_; }
    // True (and no pass under way any more) when the pass's rows and moves
    // disagree: an announcement was lost or doubled.
    bool scanOutOfStep();
    // The table goes and a pass begins (or, with 0, waits for item 1).
    void restartScan(int pass);

    // --- the pointer ---
    EcuPointer &pointer() { return pointer_; }
    const EcuPointer &pointer() const { return pointer_; }

    // --- the row the mechanic follows ---
    void select(int row);
    int selected() const { return selected_; }
    bool selectionPending() const { return selectionPending_; }
    void selectionReached() { selectionPending_ = false; }

    // --- the Action press, on the selected row ---
    void press();
    const ActionRequest &request() const { return request_; }
    int actionStep() const { return actionStep_; }
    int &checkStep() { return actionStep_; } // the check's key sequence moves it on
    void startPress() { request_.start(); }
    void dropPress();
    // A check needs the ECU on the pressed row, confirmed by the ECU itself.
    bool checkMayStart() const { return pressOnSelected() && pointer_.standsOn(request_.row()); }
    // A clear needs only the row selected: the ECU's pointer plays no part.
    bool pressOnSelected() const { return request_.waiting() && request_.row() == selected_; }

    // A session began or ended: a press, and the walk to a row, belong to
    // the session that saw them. This is what keeps an Action press from
    // reaching an ECU in another session.
    void sessionChanged();

private:
    QList<int> codes_;
    int pointerRows_ = 0;
    int scanPass_ = 0;
    int scanMoves_ = 0; // up moves sent since the pass met item 1
    EcuPointer pointer_;
    int selected_ = 0;
    bool selectionPending_ = false;
    ActionRequest request_;
    int actionStep_ = 0;
};

#endif // ITEMWALK_H
