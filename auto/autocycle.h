// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOCYCLE_H
#define AUTOCYCLE_H

// The decisions of the Auto polling cycle, apart from the window: which key
// a tick sends and what the ECU's answer means. send_clicked exchanges the
// key over the link and applies what these return to the table, the labels
// and the shared members.

#include "auto/autoprotocol.h"
#include "ecupointer.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace AutoCycle {

// --- login and scan (sessionState 0) ---

struct LoginKey {
    std::uint8_t key;
    bool engineOn; // the scan group starts: "Connected-Engine On"
    bool scanMove; // an up key of the scan: counts toward the table's length
};
// The key for login step `step`, which moves on as the step table says.
LoginKey loginKey(int &step);

struct LoginReading {
    bool tooShort = false;  // fewer than three fields: identification again
    bool newTable = false;  // identify answered while nothing was identified
    bool announced = false; // the ECU showed the code of the item it stands on
    int code = 0;
};
// Reads the answer to a login key; moves `step` and `expectedReply` on as
// the model codes and the acknowledgement say (and logs them).
LoginReading readLogin(std::uint8_t key, int &step, QString &expectedReply,
                       const QStringList &fields);

// What an announced item does to the table being built. The table lists the
// ECU's items from item 1 on, one row per up key sent since item 1: an item
// announced when the two disagree means an announcement was lost (the item
// would be missing, and every row behind it one step off), so the table
// goes and a new pass begins at the next item 1; back at item 1 in step,
// the pass is complete.
struct ScanStep {
    bool restart = false; // empty the table (scanPass tells whether a pass begins)
    bool addRow = false;
    bool sessionUp = false;
};
ScanStep scanItem(int code, int &scanPass, int rows, int moves);

// --- session (sessionState not 0) ---

struct SessionView {
    int selectedRow = 0;
    int rows = 0; // rows the pointer can stand on
    std::uint8_t nextCommand = AutoProtocol::Hold;
    bool checkRunning = false;
    bool checkMayStart = false; // the Action press may start now
    bool iscCheck = false;      // the check is item 67's long sequence
};
struct SessionKey {
    std::uint8_t key = AutoProtocol::Hold;
    int move = 0; // -1 down, +1 up: to book on the pointer
    bool checkStarts = false;
    bool checkEnds = false; // the last key of the check
};
// The key of a session tick; `actionStep` is the check's progress.
SessionKey sessionKey(const SessionView &view, const EcuPointer &pointer, int &actionStep);

struct SessionVerdict {
    bool lost = false;             // one field: the session has ended
    bool outOfStep = false;        // a code no row has: the table is not this ECU's
    bool malformed = false;        // any other length: values are zeroed
    bool abortCheck = false;       // the check's item is no longer under the pointer
    bool selectionReached = false; // the ECU confirmed the selected row
    bool writeValue = false;
    QString raw;
    bool setCheckLabel = false;
    bool checking = false;
    std::uint8_t nextCommand = AutoProtocol::Hold;
};
// Judges a session answer; books what the ECU reports on `pointer`.
// `checkCode` is the item code of the check under way (empty when none).
SessionVerdict judgeSession(const QStringList &fields, EcuPointer &pointer,
                            const QList<QString> &codes, const SessionView &view,
                            const QString &checkCode);

} // namespace AutoCycle

#endif // AUTOCYCLE_H
