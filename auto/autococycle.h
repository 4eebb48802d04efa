// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOCOCYCLE_H
#define AUTOCOCYCLE_H

#include "auto/autoprotocol.h"
#include "auto/autoreply.h"
#include "auto/autorequest.h"
#include "sessionstate.h"

#include <QList>

#include <cstdint>

// The Auto CO cycle of one CO window, apart from the window: its own login,
// the cylinder change of two-cylinder models, and the CO session that reads
// engine speed and the CO setting, with the window's Up and Down keys sent
// in place of a reading. co_send_clicked asks it for the key of a tick,
// exchanges it and applies what the answer means.
class AutoCoCycle
{
public:
    enum class State {
        Login = SessionState::None,
        Session = SessionState::Up,
        CylinderOne = SessionState::CylinderOne,
        CylinderTwo = SessionState::CylinderTwo,
    };

    // `cylinder`: a change the cycle before this one had still to make
    // (Login for none); it starts from its first key once the session is up.
    explicit AutoCoCycle(State cylinder = State::Login) : wanted_(cylinder) {}

    State state() const { return state_; }
    AutoRequest next();
    Effects onReply(const AutoReply &reply);

    // The CO window's keys. Up and Down go out in the session's next ticks
    // (false without a session: the key is ignored); the cylinder box asks
    // for cylinder "1" (index 0) or "2" (index 1).
    bool key(std::uint8_t key);
    void cylinder(int index);
    // The change asked for and not yet made, for the cycle that follows a
    // lost line; Login when none.
    State cylinderOwed() const;

    int loginStep() const { return loginStep_; }

private:
    friend struct CycleAccess;

    AutoRequest loginKey();
    AutoRequest cylinderKey();
    AutoRequest sessionKey();
    Effects readLogin(const AutoReply &reply);
    Effects readSession(const AutoReply &reply);
    void countReply(bool inStep, Effects &out);

    State state_ = State::Login;
    State asked_ = State::Login; // the state the key under way was chosen in
    std::uint8_t sent_ = AutoKey::Identify;
    int loginStep_ = 0;
    int cylinderStep_ = 0;
    int expectedReply_ = AutoProtocol::NoExpectation;
    State wanted_; // a cylinder chosen while the login ran
    QList<std::uint8_t> keys_;
};

#endif // AUTOCOCYCLE_H
