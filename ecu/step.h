// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STEP_H
#define STEP_H

#include "ecu/effects.h"

#include <QByteArray>
#include <QString>

// One step of a tick as the session engine carries it out over the link: an
// exchange (a request and its answer), the KWP wake-up pulse, a lone key
// whose echo is read away, or the end of the tick. The cycle says every
// byte and every wait; the engine only does what the step says.
struct Step {
    enum class Kind { Exchange, WakeUp, Key, End };

    // How the answer of an exchange is read.
    struct Read {
        int waitMs = 0;        // after the request, before the first read
        int secondReadMs = -1; // when nothing came: 0 reads again at once, -1 not at all
        bool keepComma = true; // the logged reply keeps the "," behind its last byte
    };
    // The wake-up: the line speed set after `beforeMs`, DTR low for
    // `pulseMs` (a busy wait), then `afterMs` and a read thrown away.
    struct WakeUp {
        int beforeMs = 0;
        int baud = 0;
        int pulseMs = 0;
        int afterMs = 0;
    };

    Kind kind = Kind::End;
    QByteArray request; // Exchange: the key or frame; Key: the key byte
    Read read;
    WakeUp wakeUp;
    int keyPauseMs = 0; // Key: the wait before its echo is read away
    bool logged = true; // Exchange: the reply is logged behind logTag
    QString logTag;
    int restartMs = -1; // End: the poll timer starts again at this interval (-1: it runs on)
    Effects effects;    // shown as the step begins
};

#endif // STEP_H
