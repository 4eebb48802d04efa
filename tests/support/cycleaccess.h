// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CYCLEACCESS_H
#define CYCLEACCESS_H

#include "auto/autococycle.h"
#include "auto/autocycle.h"
#include "kwp/kwpcocycle.h"
#include "kwp/kwpcycle.h"

#include <cstdint>

// A test's hand on a cycle's state: to start it somewhere deep in its
// states without walking the ECU there (the fuzz targets, a few suites).
struct CycleAccess {
    static ItemWalk &walk(AutoCycle &c) { return c.walk_; }
    static ItemWalk &walk(KwpCycle &c) { return c.walk_; }
    static void enter(AutoCycle &c, AutoCycle::State s) { c.enter(s); }
    static void enter(KwpCycle &c, KwpCycle::State s) { c.enter(s); }
    static void setState(AutoCoCycle &c, AutoCoCycle::State s) { c.state_ = s; }
    static void setState(KwpCoCycle &c, KwpCoCycle::State s) { c.state_ = s; }
    static int &loginStep(AutoCycle &c) { return c.loginStep_; }
    static std::uint8_t &nextCommand(AutoCycle &c) { return c.nextCommand_; }
    static int &loginStep(AutoCoCycle &c) { return c.loginStep_; }
    static int &cylinderStep(AutoCoCycle &c) { return c.cylinderStep_; }
    static int &expectedReply(AutoCoCycle &c) { return c.expectedReply_; }
    static int &pulseMs(KwpCycle &c) { return c.login_.pulseMs_; }
    static int &pulseMs(KwpCoCycle &c) { return c.login_.pulseMs_; }

    // Puts `cycle` (any of the four) in `state`, a SessionState value, as
    // its own transition would.
    static void enterState(Cycle &cycle, int state)
    {
        switch (cycle.kind()) {
        case Cycle::Kind::Auto:
            enter(static_cast<AutoCycle &>(cycle), AutoCycle::State(state));
            break;
        case Cycle::Kind::Kwp: enter(static_cast<KwpCycle &>(cycle), KwpCycle::State(state)); break;
        case Cycle::Kind::AutoCo:
            setState(static_cast<AutoCoCycle &>(cycle), AutoCoCycle::State(state));
            break;
        case Cycle::Kind::KwpCo:
            setState(static_cast<KwpCoCycle &>(cycle), KwpCoCycle::State(state));
            break;
        }
    }
};

#endif // CYCLEACCESS_H
