// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOCOCYCLE_H
#define AUTOCOCYCLE_H

#include "auto/autoprotocol.h"
#include "auto/autoreply.h"
#include "ecu/cocycle.h"
#include "ecu/sessionstate.h"

#include <cstdint>

// The Auto CO cycle of one CO window: its own login, the cylinder change of
// two-cylinder models, and the CO session that reads engine speed and the
// CO setting, with the window's Up and Down keys sent in place of a
// reading. A tick is one key and its answer.
class AutoCoCycle : public CoCycle
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

    Kind kind() const override { return Kind::AutoCo; }
    int state() const override { return int(state_); }
    bool holdsTimer() const override { return false; }
    Step next() override;
    Effects onReply(const QByteArray &answer) override;

    // The cylinder box asks for cylinder "1" (index 0) or "2" (index 1).
    bool cylinder(int index) override;
    // The change asked for and not yet made, for the cycle that follows a
    // lost line; Login when none.
    int cylinderOwed() const override;

    int loginStep() const { return loginStep_; }

private:
    friend struct CycleAccess;

    Step loginKey();
    Step cylinderKey();
    Step sessionKey();
    Effects readLogin(const AutoReply &reply);
    Effects readSession(const AutoReply &reply);
    void countReply(bool inStep, Effects &out);

    State state_ = State::Login;
    State asked_ = State::Login; // the state the key under way was chosen in
    bool keySent_ = false;       // this tick's key is out: the tick ends at the next step
    std::uint8_t sent_ = AutoKey::Identify;
    int loginStep_ = 0;
    int cylinderStep_ = 0;
    int expectedReply_ = AutoProtocol::NoExpectation;
    State wanted_; // a cylinder chosen while the login ran
};

#endif // AUTOCOCYCLE_H
