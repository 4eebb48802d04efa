// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CYCLE_H
#define CYCLE_H

#include "ecu/effects.h"
#include "ecu/step.h"

#include <QByteArray>

#include <cstdint>

class ItemWalk;

// A protocol cycle of one session, apart from the window and the link: the
// session engine asks it for the steps of a tick one by one until End,
// carries each out and hands it the answer; what the cycle returns is what
// the mechanic sees. Every answer is untrusted: any length, any bytes.
// A new session (another type, the CO window, a lost line) gets a new cycle.
class Cycle
{
public:
    // The four cycles; each runs one tick at a time of its own.
    enum class Kind { Auto, AutoCo, Kwp, KwpCo };
    static constexpr int Kinds = 4;

    virtual ~Cycle() = default;

    virtual Kind kind() const = 0;
    // A SessionState value.
    virtual int state() const = 0;
    // A tick that needs the open link, and holds the poll timer for its
    // length (restarted by its End); otherwise the timer runs free.
    virtual bool holdsTimer() const = 0;

    virtual Step next() = 0;
    virtual Effects onReply(const QByteArray &answer) = 0;

    // --- the mechanic; false: not taken ---
    // The polling cycles' table (null for the CO cycles).
    virtual ItemWalk *walk() { return nullptr; }
    virtual bool select(int /*row*/) { return false; }
    virtual bool press() { return false; }
    virtual void tableCleared() {}
    // The CO window's Up and Down keys and its cylinder box.
    virtual bool key(std::uint8_t /*key*/) { return false; }
    virtual bool cylinder(int /*index*/) { return false; }

    // --- what the next cycle of the same kind starts from ---
    virtual int pulseMs() const { return 0; }      // KWP: the wake-up pulse to try first
    virtual int cylinderOwed() const { return 0; } // Auto CO: a change not yet made (a state)
};

#endif // CYCLE_H
