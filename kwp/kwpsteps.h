// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPSTEPS_H
#define KWPSTEPS_H

#include "ecu/linebytes.h"
#include "ecu/step.h"
#include "kwp/kwpprotocol.h"

#include <cstdint>

// The steps of a KWP tick, with the protocol's waits.
namespace KwpSteps {

enum class Read {
    Answer,    // AnswerWaitMs, a second read SecondReadMs later when nothing came;
               // logged without the "," behind the last byte
    KeepComma, // the same, logged with it
    Once,      // SearchUpWaitMs and one read
};

inline Step frame(const KwpFrame &frame, Read read, const QString &logTag, bool logged = true)
{
    Step step;
    step.kind = Step::Kind::Exchange;
    step.request = frame.toByteArray();
    if (read == Read::Once) {
        step.read = {KwpProtocol::SearchUpWaitMs, -1, true};
    } else {
        step.read = {KwpProtocol::AnswerWaitMs, KwpProtocol::SecondReadMs, read == Read::KeepComma};
    }
    step.logged = logged;
    step.logTag = logTag;
    return step;
}

// The status shown, a pause, the line at the KWP speed, DTR low for
// `pulseMs`, a pause and a read thrown away.
inline Step wakeUp(int pulseMs)
{
    Step step;
    step.kind = Step::Kind::WakeUp;
    step.wakeUp = {KwpProtocol::BeforeLoginMs, KwpProtocol::Baud, pulseMs,
                   KwpProtocol::AfterPulseMs};
    step.effects.status = Status::WakingUp;
    return step;
}

// A lone CO key byte; its echo is read away after KeyPauseMs.
inline Step key(std::uint8_t key)
{
    Step step;
    step.kind = Step::Kind::Key;
    step.request = QByteArray(1, char(key));
    step.keyPauseMs = KwpProtocol::KeyPauseMs;
    return step;
}

// The end of the tick: the poll timer starts again after `restartMs`.
inline Step end(int restartMs)
{
    Step step;
    step.restartMs = restartMs;
    return step;
}

} // namespace KwpSteps

#endif // KWPSTEPS_H
