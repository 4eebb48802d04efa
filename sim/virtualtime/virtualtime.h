// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VIRTUALTIME_H
#define VIRTUALTIME_H

// Virtual time for whole-program tests and the hands-free replay
// (tavrix-replay --hands). An event dispatcher whose clock is
// the simulated cable's: when the event loop has nothing left to do now, the
// clock jumps to the next timer. The window, its nested waits, its timers and
// the simulated ECUs then run unchanged, only without waiting: a session of
// minutes takes milliseconds and every run of a seed is the same.
//
//   int main(int argc, char **argv) {
//       VirtualTime::install();          // before the application object
//       QApplication app(argc, argv);
//       ...
//   }
//
// Tests link tests/virtual/virtualwaits.cpp into the program as well: its
// delay_login advances this clock instead of spinning on the real one. (The
// replay keeps the real spin: the wake-up pulse then lasts no virtual time,
// which its recorded ECU does not mind.)
// waitUntil (tests/support/simsupport.h) runs the loop on this clock.

#include "sim/virtualcable.h"

#include <QtGlobal>

namespace VirtualTime {

// Installs the dispatcher for the main thread and points the cable's clock
// at it, and the cable's waits (a read waiting for the chip's packets) at
// advanceNs. Call once, before the application object exists.
void install();
bool installed();
// The program runs in the application's own event loop (exec), not in a
// test's wait loop: that loop is then the outermost one. And a timer's
// timeouts that fall due while its own handler runs are passed over, as Qt's
// dispatchers do, so that ticks follow each other as in a recording made
// on real time. (The suites keep the older rule: such a timer fires again
// as soon as its handler returns.)
void runInApplicationLoop();
// Points the cable's clock and its waits at virtual time again after a
// test lent it a clock of its own.
void restoreCableClock();

sim::Nanos nowNs();
qint64 nowMs();
// Moves the clock on without running anything (a busy wait).
void advanceNs(sim::Nanos ns);
} // namespace VirtualTime

#endif // VIRTUALTIME_H
