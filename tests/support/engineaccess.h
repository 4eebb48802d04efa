// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ENGINEACCESS_H
#define ENGINEACCESS_H

#include "session/sessionengine.h"

// A test's hand on the session engine: shows effects as if its cycle had
// decided them, and starts a new cycle as a new session would.
struct EngineAccess {
    static void show(SessionEngine &e, const Effects &effects) { e.show(effects); }
    // A new cycle, as a new session of the window gets: the CO window's
    // own when `co`.
    static void freshCycle(SessionEngine &e, bool co)
    {
        e.coMode_ = co;
        Shown out;
        e.startCycle(out);
        e.show(out);
    }
};

#endif // ENGINEACCESS_H
