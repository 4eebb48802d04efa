// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPLOGIN_H
#define KWPLOGIN_H

#include "ecu/step.h"
#include "kwp/kwpreply.h"

#include <QString>

// The KWP login of both cycles: the wake-up pulse, then the sequence's
// frames one request at a time. The pulse that woke the ECU is kept for the
// next try; when the first frame goes unanswered the next pulse is 1 ms
// shorter (25 ms down to 20 ms, then 25 again).
class KwpLogin
{
public:
    KwpLogin(const KwpFrame *frames, int count, const char *logTag, int pulseMs)
        : frames_(frames), count_(count), logTag_(QString::fromLatin1(logTag)), pulseMs_(pulseMs)
    {
    }

    int pulseMs() const { return pulseMs_; }
    bool running() const { return entry_ >= WakeUp; }
    void start() { entry_ = WakeUp; }
    void stop() { entry_ = Idle; }

    // The wake-up, each frame of the sequence, then End (and the login stops).
    Step next();
    // The frame of the last step, whose answer is judged next.
    const KwpFrame &sent() const { return sent_; }

    // Judges the answer to the frame just sent (and logs as the login does):
    // false when the ECU sent nothing behind the echo or refused the frame,
    // and the login stops.
    bool answered(const KwpReply &reply);

    // How the ECU named itself in an answer to the identification request:
    // its text with the bytes ("TX3 (54 58 33)"), or the bytes alone when
    // they are no plain text; empty for any other answer.
    static QString identity(const KwpReply &reply);

private:
    friend struct CycleAccess;

    static constexpr int Idle = -2;
    static constexpr int WakeUp = -1;

    const KwpFrame *frames_;
    int count_;
    QString logTag_;
    int pulseMs_;
    int entry_ = Idle;
    KwpFrame sent_ = KwpFrames::StartComm;
};

#endif // KWPLOGIN_H
