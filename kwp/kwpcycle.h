// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPCYCLE_H
#define KWPCYCLE_H

#include "ecu/pollingcycle.h"
#include "ecu/sessionstate.h"
#include "kwp/kwplogin.h"
#include "kwp/kwpreply.h"
#include "kwp/kwpsteps.h"

#include <QList>
#include <QString>

// The KWP polling cycle of one session: the wake-up and login, the search
// for item 1, the scan that builds the item table, and the polling that
// follows the selected row, shows its value, runs the actuator check and
// reads and clears the fault codes of rows 61 and 62. A tick is several
// exchanges; the poll timer waits for it.
class KwpCycle : public PollingCycle
{
public:
    enum class State {
        Login = SessionState::None,
        Polling = SessionState::Up,
        Scan = SessionState::Scan,
        Search = SessionState::Search,
    };

    // `pulseMs`: the wake-up pulse to try first; `faultTexts` the KWP
    // fault-code catalogue (the window's); `shown` the table the window
    // still shows from an earlier session.
    KwpCycle(int pulseMs, const QList<QString> &faultTexts, const ItemWalk &shown = ItemWalk());

    Kind kind() const override { return Kind::Kwp; }
    int state() const override { return int(state_); }
    bool holdsTimer() const override { return true; }
    Step next() override;
    Effects onReply(const QByteArray &answer) override;

    int pulseMs() const override { return login_.pulseMs(); }

private:
    friend struct CycleAccess;

    // Where the tick under way stands.
    enum class Phase {
        Idle,
        Login,
        SearchHold,
        SearchMove,
        ScanHold,
        ScanMove,
        PollFirst,
        PollRead,
        Ending
    };
    enum class RowKind { None, Item, History, Current };
    // The two frames of a polling tick: an optional first one (a move, the
    // check, tester-present or the clear) and the reading.
    struct Plan {
        KwpFrame first = KwpFrames::Hold;
        bool hasFirst = false;
        KwpFrame read = KwpFrames::Hold;
        int move = 0; // -1 down, +1 up
        RowKind kind = RowKind::None;
    };

    Step begin();
    Step loginNext();
    Step beginPoll();
    Step frame(Phase phase, const KwpFrame &frame, KwpSteps::Read read, const char *logTag);
    Step endNow(int ms);
    void endTick(int ms);

    Effects loginReply(const KwpReply &reply);
    Effects searchReply(const KwpReply &reply);
    Effects scanReply(const KwpReply &reply);
    bool scanItem(int code, Effects &out);
    Effects scanMoveReply(const KwpReply &reply);
    Effects pollFirstReply(const KwpReply &reply);
    Effects pollReadReply(const KwpReply &reply);
    void showFaults(const KwpReply &reply, Effects &out);

    void dropSession(Effects &out, const char *log, Status status, int ms);
    void enter(State state);
    RowKind rowKind(int row) const;

    const QList<QString> &faultTexts_;
    State state_ = State::Login;
    Phase phase_ = Phase::Idle;
    Phase asked_ = Phase::Idle; // the step whose frame is out
    KwpFrame sent_ = KwpFrames::Hold;
    int endMs_ = 0;
    Plan plan_;
    bool moveTaken_ = true;
    KwpLogin login_;
};

#endif // KWPCYCLE_H
