// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPCYCLE_H
#define KWPCYCLE_H

// The decisions of the KWP polling cycle, apart from the window: what the
// login answers mean, the search for item 1, the scan that builds the table,
// and each polling tick's frames and what their answer shows.
// send_clicked_xmax exchanges the frames over the link and applies these.

#include "ecupointer.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace KwpCycle {

enum class State { Login = 0, Polling = 1, Scan = 11, Search = 12 };

// --- login ---
// A value report during the login: the item the pointer stands on decides
// between the search for item 1 and the scan. Login when none.
State loginReport(const QStringList &items);
// The first frame went unanswered: a pulse 1 ms shorter next time.
void pulseMissed(int &pulseMs);

// --- search for item 1 (state 12) ---
enum class Search { Nothing, Gone, Found, MoveOn };
Search search(const QStringList &items);

// --- scan (state 11) ---
// The table lists the ECU's items from item 1 on, one row per up frame sent
// since item 1 (when the two disagree the table goes and a new pass begins at
// the next item 1), then the two fault-code rows 61 and 62.
struct ScanStep {
    bool restart = false; // empty the table (scanPass tells whether a pass begins)
    bool addRow = false;
    bool faultRow = false; // the row is a fault-code row, out of the pointer's reach
    int code = 0;
    bool finished = false; // the table is complete: polling begins
    bool moveOn = false;   // send an up frame after this one
};
ScanStep scanItem(int code, int &scanPass, int rows, int moves);

// --- polling (state 1) ---
enum class RowKind { None, Item, History, Current };
RowKind rowKind(int row, int pointerRows, const QList<QString> &codes);

struct PollView {
    int selectedRow = 0;
    RowKind kind = RowKind::None;
    bool requestMayStart = false; // an Action press for the selected row may go out
};
// The frames of one polling tick: an optional first frame (a move, the
// check, tester-present or the clear) and the reading that follows it.
struct PollPlan {
    QString first; // empty: the tick only reads
    QString read;
    int move = 0; // -1 down, +1 up: to book on the pointer
    bool startsRequest = false;
};
PollPlan planPoll(const PollView &view, const EcuPointer &pointer);
// The frame that follows `first` within one tick.
QString followUp(const QString &first, RowKind kind);
// A move the ECU did not answer as taken may or may not have happened:
// false then, and where the pointer stands is known again only from item 1.
bool moveTaken(const PollPlan &plan, const QStringList &firstAnswer);

struct PollVerdict {
    enum class Answer { Gone, Nothing, Short, Full } answer = Answer::Full;
    bool outOfStep = false; // a code no row has: the table is not this ECU's
    bool selectionReached = false;
    bool writeValue = false;
    QString raw;
    bool setCheckLabel = false;
    bool checking = false;
    bool listFaults = false;
};
// Judges the answer to `read`; books what the ECU reports on `pointer`.
PollVerdict judgePoll(const QString &read, const QStringList &items, EcuPointer &pointer,
                      const QList<QString> &codes, int pointerRows, const PollView &view);

} // namespace KwpCycle

#endif // KWPCYCLE_H
