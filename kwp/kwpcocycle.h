// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPCOCYCLE_H
#define KWPCOCYCLE_H

#include "kwp/kwplogin.h"
#include "kwp/kwpreply.h"
#include "kwp/kwpstep.h"
#include "sessionstate.h"

#include <QList>

#include <cstdint>

// The KWP CO cycle of one CO window, apart from the window: its own
// wake-up and login, which ends as soon as the ECU reports in CO mode, then
// the engine speed on every tick, with the window's Up and Down keys sent
// alone before a reading. co_send_clicked_xmax carries out its requests.
class KwpCoCycle
{
public:
    enum class State { Login = SessionState::None, Reading = SessionState::Up };

    explicit KwpCoCycle(int pulseMs);

    State state() const { return state_; }
    KwpStep next();
    Effects onReply(const KwpReply &reply);

    // Up or Down from the CO window: sent before the next reading; false
    // (ignored) while the cycle logs in.
    bool key(std::uint8_t key);

    int pulseMs() const { return login_.pulseMs(); }

private:
    friend struct CycleAccess;

    enum class Phase { Idle, Login, Key, Reading, Ending };

    KwpStep loginNext();
    KwpStep reading();
    Effects loginReply(const KwpReply &reply);
    Effects readingReply(const KwpReply &reply);
    void dropSession(Effects &out);
    void endTick(int ms);

    State state_ = State::Login;
    Phase phase_ = Phase::Idle;
    int endMs_ = 0;
    KwpLogin login_;
    QList<std::uint8_t> keys_;
};

#endif // KWPCOCYCLE_H
