// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ACTIONREQUEST_H
#define ACTIONREQUEST_H

#include "ecupointer.h"

// An Action press, held until the cycle may carry it out. It belongs to the
// row it was pressed on and to the session that saw the press: it starts
// only there and then, and whatever changes either first drops it.
class ActionRequest
{
public:
    void press(int row, int session)
    {
        row_ = row;
        session_ = session;
        state_ = State::Waiting;
    }
    void drop() { state_ = State::None; }
    void start() { state_ = State::Running; }

    bool waiting() const { return state_ == State::Waiting; }
    bool running() const { return state_ == State::Running; }
    int row() const { return row_; }

    // A check on an item row: the ECU must have confirmed that very row.
    bool mayStart(const EcuPointer &pointer, int selectedRow, int session) const
    {
        return mayStartOnRow(selectedRow, session) && pointer.standsOn(row_);
    }
    // A request that needs no item under the pointer (clearing fault codes).
    bool mayStartOnRow(int selectedRow, int session) const
    {
        return waiting() && row_ == selectedRow && session_ == session;
    }

private:
    enum class State { None, Waiting, Running };
    State state_ = State::None;
    int row_ = -1;
    int session_ = -1;
};

#endif // ACTIONREQUEST_H
