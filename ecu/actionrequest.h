// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ACTIONREQUEST_H
#define ACTIONREQUEST_H

// An Action press, held until the cycle may carry it out, bound to the row
// it was pressed on. It belongs to the session that saw it: the cycle drops
// it whenever its session begins or ends (ItemWalk::sessionChanged).
class ActionRequest
{
public:
    void press(int row)
    {
        row_ = row;
        state_ = State::Waiting;
    }
    void drop() { state_ = State::None; }
    void start() { state_ = State::Running; }

    bool waiting() const { return state_ == State::Waiting; }
    bool running() const { return state_ == State::Running; }
    bool pending() const { return state_ != State::None; }
    int row() const { return row_; }

private:
    enum class State { None, Waiting, Running };
    State state_ = State::None;
    int row_ = -1;
};

#endif // ACTIONREQUEST_H
