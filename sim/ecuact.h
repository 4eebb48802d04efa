// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ECUACT_H
#define ECUACT_H

// What a simulated ECU did to the bike on the tester's word: a key of an
// actuator check on the item under its pointer, or its fault codes erased.
// Tests hold the tool to account with these: each must answer an Action
// the mechanic pressed on that item's row, in that session.

#include "sim/virtualcable.h"

#include <functional>
#include <vector>

namespace sim {

struct EcuAct {
    enum class Kind { Check, Clear };
    Kind kind;
    int index;     // the item's place in the ECU's list, item 1 being 0 (-1: no item)
    int code;      // its code
    int session;   // counts the ECU's logins: which session it happened in
    bool accepted; // the ECU carried it out (a check on an actuator, a clear)
    Nanos at;
};

class ActLog
{
public:
    void record(const EcuAct &act)
    {
        if (tap_)
            tap_(act);
        if (acts_.size() >= kKept)
            acts_.erase(acts_.begin(), acts_.begin() + long(kKept / 2));
        acts_.push_back(act);
    }
    const std::vector<EcuAct> &acts() const { return acts_; }
    void clear() { acts_.clear(); }
    // Hears every act as it happens (inside the write that caused it).
    void tap(std::function<void(const EcuAct &)> tap) { tap_ = std::move(tap); }

private:
    static constexpr std::size_t kKept = 10000;
    std::vector<EcuAct> acts_;
    std::function<void(const EcuAct &)> tap_;
};

} // namespace sim

#endif // ECUACT_H
