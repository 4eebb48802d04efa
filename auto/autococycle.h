// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOCOCYCLE_H
#define AUTOCOCYCLE_H

// The decisions of the Auto CO cycle, apart from the window: the CO login's
// keys and how its answers move it on, the cylinder change, and the engine
// speed and CO setting of a CO reading.

#include "auto/autoprotocol.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace AutoCoCycle {

enum class State { Login = 0, Session = 1, CylinderOne = 2, CylinderTwo = 3 };

// --- login (sessionState 0), `step` is coLoginStep ---
std::uint8_t loginKey(int &step);

struct LoginReading {
    bool tooShort = false;     // fewer than three fields: the login starts over
    bool twinCylinder = false; // a two-cylinder model: the cylinder box is offered
    bool sessionUp = false;
};
// Reads the answer to a CO login key, moving `step` and `expectedReply` on
// (and logging as the login does).
LoginReading readLogin(std::uint8_t key, int &step, QString &expectedReply,
                       const QStringList &fields);

// --- cylinder change (sessionState 2 or 3), `step` is cylinderStep ---
struct CylinderKey {
    std::uint8_t key;
    bool done; // the last key: the session reads again
};
CylinderKey cylinderKey(int &step, State wanted);

// --- session ---
struct Reading {
    bool whole = false; // a six-field reading
    bool lost = false;  // one field: the session has ended
    int rpm = 0;
    bool hasCo = false; // the reading shows the CO setting, not an item code
    int co = 0;
};
Reading read(const QStringList &fields);

} // namespace AutoCoCycle

#endif // AUTOCOCYCLE_H
