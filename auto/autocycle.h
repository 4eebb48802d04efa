// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOCYCLE_H
#define AUTOCYCLE_H

#include "auto/autoprotocol.h"
#include "auto/autoreply.h"
#include "auto/autorequest.h"
#include "itemwalk.h"
#include "sessionstate.h"

#include <QList>
#include <QString>

#include <cstdint>

// The Auto polling cycle of one session, apart from the window: the login
// (identification, the unlock of model 48, the login keys), the scan that
// builds the item table, and the session that follows the selected row,
// shows its value and runs actuator checks. send_clicked asks it for the
// key of a tick, exchanges it over the link and applies what the answer
// means. A new session of the window (another type, the CO window, a lost
// line) gets a new cycle.
class AutoCycle
{
public:
    enum class State { Login = SessionState::None, Session = SessionState::Up };

    // `faultTexts` is the Auto fault-code catalogue (the window's); `shown`
    // the table the window still shows from an earlier session.
    AutoCycle(const QList<QString> &faultTexts, const ItemWalk &shown = ItemWalk());

    State state() const { return state_; }
    AutoRequest next();
    Effects onReply(const AutoReply &reply);

    // The mechanic's clicks.
    void select(int row) { walk_.select(row); }
    bool press(); // Action on the selected row; false when not taken up
    const ItemWalk &walk() const { return walk_; }
    // The window emptied the table: the rows a press was for are gone too.
    void tableCleared()
    {
        walk_.clear();
        walk_.dropPress();
    }

    int loginStep() const { return loginStep_; }
    int expectedReply() const { return expectedReply_; }
    std::uint8_t nextCommand() const { return nextCommand_; }

private:
    friend struct CycleAccess; // tests and fuzz targets start it in a given state

    AutoRequest loginKey();
    AutoRequest sessionKey();
    Effects readLogin(const AutoReply &reply);
    Effects readSession(const AutoReply &reply);
    void announce(int code, Effects &out);
    void showValue(const QString &raw, Effects &out) const;
    void enter(State state);
    void show(Effects &out, const char *status);

    const QList<QString> &faultTexts_;
    State state_ = State::Login;
    State asked_ = State::Login; // the state the key under way was chosen in
    std::uint8_t sent_ = AutoKey::Identify;
    int loginStep_ = 0;
    // The byte the CO login counts as in step; the CO cycle identifies anew
    // and keeps its own.
    int expectedReply_ = AutoProtocol::NoExpectation;
    std::uint8_t nextCommand_ = AutoKey::Hold;
    bool engineOnShown_ = false; // this cycle put "Connected-Engine On" up
    ItemWalk walk_;
};

#endif // AUTOCYCLE_H
