// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOCYCLE_H
#define AUTOCYCLE_H

#include "auto/autoprotocol.h"
#include "auto/autoreply.h"
#include "ecu/pollingcycle.h"
#include "ecu/sessionstate.h"

#include <QList>
#include <QString>

#include <cstdint>

// The Auto polling cycle of one session: the login (identification, the
// unlock of model 48, the login keys), the scan that builds the item table,
// and the session that follows the selected row, shows its value and runs
// actuator checks. A tick is one key and its answer.
class AutoCycle : public PollingCycle
{
public:
    enum class State { Login = SessionState::None, Session = SessionState::Up };

    // `faultTexts` is the Auto fault-code catalogue; `shown` the table the
    // window still shows from an earlier session.
    AutoCycle(const QList<QString> &faultTexts, const ItemWalk &shown = ItemWalk());

    Kind kind() const override { return Kind::Auto; }
    int state() const override { return int(state_); }
    bool holdsTimer() const override { return false; }
    Step next() override;
    Effects onReply(const QByteArray &answer) override;

    int loginStep() const { return loginStep_; }
    int expectedReply() const { return expectedReply_; }
    std::uint8_t nextCommand() const { return nextCommand_; }

private:
    friend struct CycleAccess; // tests and fuzz targets start it in a given state

    Step loginKey();
    Step sessionKey();
    Effects readLogin(const AutoReply &reply);
    Effects readSession(const AutoReply &reply);
    void announce(int code, Effects &out);
    void showValue(int raw, Effects &out) const;
    void enter(State state);
    void show(Effects &out, Status status);

    const QList<QString> &faultTexts_;
    State state_ = State::Login;
    State asked_ = State::Login; // the state the key under way was chosen in
    bool keySent_ = false;       // this tick's key is out: the tick ends at the next step
    std::uint8_t sent_ = AutoKey::Identify;
    int loginStep_ = 0;
    // The byte the CO login counts as in step; the CO cycle identifies anew
    // and keeps its own.
    int expectedReply_ = AutoProtocol::NoExpectation;
    std::uint8_t nextCommand_ = AutoKey::Hold;
    bool engineOnShown_ = false; // this cycle put "Connected-Engine On" up
};

#endif // AUTOCYCLE_H
