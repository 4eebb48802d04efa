// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPCOCYCLE_H
#define KWPCOCYCLE_H

#include "ecu/cocycle.h"
#include "ecu/sessionstate.h"
#include "kwp/kwplogin.h"
#include "kwp/kwpreply.h"

#include <cstdint>

// The KWP CO cycle of one CO window: its own wake-up and login, which ends
// as soon as the ECU reports in CO mode, then the engine speed on every
// tick, with the window's Up and Down keys sent alone before a reading.
class KwpCoCycle : public CoCycle
{
public:
    enum class State { Login = SessionState::None, Reading = SessionState::Up };

    explicit KwpCoCycle(int pulseMs);

    Kind kind() const override { return Kind::KwpCo; }
    int state() const override { return int(state_); }
    bool holdsTimer() const override { return true; }
    Step next() override;
    Effects onReply(const QByteArray &answer) override;

    int pulseMs() const override { return login_.pulseMs(); }

private:
    friend struct CycleAccess;

    enum class Phase { Idle, Login, Key, Reading, Ending };

    Step loginNext();
    Step reading();
    Effects loginReply(const KwpReply &reply);
    Effects readingReply(const KwpReply &reply);
    void dropSession(Effects &out);
    void endTick(int ms);

    State state_ = State::Login;
    Phase phase_ = Phase::Idle;
    int endMs_ = 0;
    KwpLogin login_;
};

#endif // KWPCOCYCLE_H
