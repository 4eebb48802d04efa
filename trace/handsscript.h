// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HANDSSCRIPT_H
#define HANDSSCRIPT_H

// What a hands-free replay does and expects, read from a recording.
//
// Moments are taken from the line, not the clock: a step acts once the
// program has made as many calls as it had when the mechanic acted. A step
// that came before the next read (a click inside a tick's wait) acts at
// once; one that came after reads acts once as many reads have been made,
// or, should fewer come, as long after the call as the mechanic did, yet
// before the next call. Reads are not counted as calls: how many a reply
// takes is the cable's business (its latency timer), and a KWP tick reads
// again when its first read found nothing.

#include "trace/traceevent.h"

namespace trace {

// The calls whose order and number are the program's own, whatever the
// cable and the PC (reads, device listings and error texts are not).
bool isCountedCall(Kind kind);

struct HandsScript {
    struct Call {
        Event event;
        qint64 quietUs = -1;  // a request's first byte: time since the ECU last spoke (-1: none)
        bool kwpLine = false; // the line was at the KWP rate
    };
    struct Step {
        enum What { Act, Plug, Unplug };
        What what = Act;
        int after = 0;   // counted calls made before it
        int reads = 0;   // reads made after the last of them
        int delayMs = 0; // after the last of them
        Event event;     // Act: the window record
    };

    QList<Call> calls;
    QList<Step> steps;  // in the order of the recording
    QList<Event> shown; // status, cable, info and value records, in order
    qint64 lastUs = 0;  // the last event of the recording
    int actions = 0;
    // The recorder looked at the status as it changed (ui.watch 1), so the
    // replay must too; older recordings saw it only before each call.
    bool statusAsItChanged = false;
};

HandsScript handsScript(const QList<Event> &events);

} // namespace trace

#endif // HANDSSCRIPT_H
