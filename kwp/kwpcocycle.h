// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPCOCYCLE_H
#define KWPCOCYCLE_H

// The decisions of the KWP CO cycle, apart from the window: when its login
// has reached CO mode, and what a CO reading shows.

#include <QStringList>

namespace KwpCoCycle {

// A login answer that already carries a CO report: the login ends there.
bool reportsInCoMode(const QStringList &items);

struct Reading {
    bool lost = false;      // nothing beyond the echo: the session has ended
    bool engineOff = false; // too short to carry the speed
    int rpm = -1;           // the engine speed, -1 when the answer has none
};
Reading read(const QStringList &items);

} // namespace KwpCoCycle

#endif // KWPCOCYCLE_H
