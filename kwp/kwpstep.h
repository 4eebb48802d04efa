// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPSTEP_H
#define KWPSTEP_H

#include "effects.h"
#include "link/linebytes.h"

#include <QString>

#include <cstdint>

// One step of a KWP tick as the window carries it out: the wake-up pulse,
// a frame and its answer, a lone CO key, or the end of the tick.
struct KwpStep {
    enum class Kind {
        WakeUp, // status shown, 500 ms, the line at 10400 baud, DTR low for pulseMs, 25 ms, a read
                // thrown away
        Frame,  // the frame, then its answer as `read` says
        Key,    // a single key byte, 25 ms, a read thrown away
        End,    // the tick is over; the effects restart the poll timer
    };
    enum class Read {
        Answer,    // 110 ms, a second read 50 ms later when nothing came, one trailing "," dropped
        KeepComma, // the same, the trailing "," kept
        Once,      // 100 ms and one read
    };

    Kind kind = Kind::End;
    KwpFrame frame = KwpFrames::Hold;
    Read read = Read::Answer;
    std::uint8_t key = 0;
    int pulseMs = 0;
    bool logged = true; // the reply is logged behind logTag
    QString logTag;
    Effects effects; // shown as the step begins
};

#endif // KWPSTEP_H
