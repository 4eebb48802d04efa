// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPCYCLE_H
#define KWPCYCLE_H

#include "itemwalk.h"
#include "kwp/kwplogin.h"
#include "kwp/kwpreply.h"
#include "kwp/kwpstep.h"
#include "sessionstate.h"

#include <QList>
#include <QString>

// The KWP polling cycle of one session, apart from the window: the wake-up
// and login, the search for item 1, the scan that builds the item table,
// and the polling that follows the selected row, shows its value, runs the
// actuator check and reads and clears the fault codes of rows 61 and 62.
// A tick is several requests: send_clicked_xmax asks for them one by one
// until the tick ends, carries each out over the link and applies what its
// answer means. A new session of the window gets a new cycle.
class KwpCycle
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

    State state() const { return state_; }
    KwpStep next();
    Effects onReply(const KwpReply &reply);

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

    int pulseMs() const { return login_.pulseMs(); }

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

    KwpStep begin();
    KwpStep loginNext();
    KwpStep beginPoll();
    KwpStep frame(Phase phase, const KwpFrame &frame, KwpStep::Read read, const char *logTag);
    KwpStep endNow(int ms);
    void endTick(int ms);

    Effects loginReply(const KwpReply &reply);
    Effects searchReply(const KwpReply &reply);
    Effects scanReply(const KwpReply &reply);
    bool scanItem(int code, Effects &out);
    Effects scanMoveReply(const KwpReply &reply);
    Effects pollFirstReply(const KwpReply &reply);
    Effects pollReadReply(const KwpReply &reply);
    void showFaults(const KwpReply &reply, Effects &out);

    void dropSession(Effects &out, const char *log, const char *status, int ms);
    void enter(State state);
    RowKind rowKind(int row) const;

    const QList<QString> &faultTexts_;
    State state_ = State::Login;
    Phase phase_ = Phase::Idle;
    Phase asked_ = Phase::Idle; // the step whose frame is out
    int endMs_ = 0;
    Plan plan_;
    bool moveTaken_ = true;
    KwpLogin login_;
    ItemWalk walk_;
};

#endif // KWPCYCLE_H
