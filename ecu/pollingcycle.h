// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef POLLINGCYCLE_H
#define POLLINGCYCLE_H

#include "ecu/cycle.h"
#include "ecu/itemwalk.h"
#include "ecu/sessionstate.h"

// What the polling cycles of both families share: the item table they walk,
// the row the mechanic follows and the Action press on it.
class PollingCycle : public Cycle
{
public:
    // `shown`: the table the window still shows from an earlier session.
    explicit PollingCycle(const ItemWalk &shown) : walk_(shown) {}

    ItemWalk *walk() override { return &walk_; }
    const ItemWalk &items() const { return walk_; }

    bool select(int row) override
    {
        walk_.select(row);
        return true;
    }
    // Only a session carries a check out; one under way is not started twice.
    bool press() override
    {
        if (state() != SessionState::Up || walk_.request().running())
            return false;
        walk_.press();
        return true;
    }
    // The rows a press was for are gone too.
    void tableCleared() override
    {
        walk_.clear();
        walk_.dropPress();
    }

protected:
    // A press and the walk to a row belong to the session that saw them.
    void sessionMayChange(bool wasUp, bool isUp)
    {
        if (wasUp != isUp)
            walk_.sessionChanged();
    }

    ItemWalk walk_;
};

#endif // POLLINGCYCLE_H
