// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYJUDGE_H
#define REPLAYJUDGE_H

// Says whether a hands-free replay did what its recording did: the same
// calls on the line in the same order (the ECU checks the request bytes,
// ReplayEcu), requests no later than the protocol lets an ECU wait, and
// the same texts and values in the window. Keeps the first divergence.

#include "trace/handsscript.h"

#include <QHash>

namespace trace {

// ISO 14230: an ECU ends the session when no request comes for 5 s (P3max).
constexpr qint64 KwpP3MaxUs = 5000000;

class ReplayJudge
{
public:
    explicit ReplayJudge(const HandsScript &script);

    // A counted call the replayed program made (the next one in order);
    // quietUs as in HandsScript::Call.
    void call(const Event &seen, qint64 quietUs);
    // What the replayed window showed (the replay's own eyes).
    void shown(const Event &seen);
    // Anything else that went another way: `line` is the recording's.
    void diverged(int line, const QString &what);
    // The replay is over: what the recording still held and the replay
    // never showed is a divergence too.
    void finish();

    int callsSeen() const { return calls_; }
    bool clean() const { return first_.isEmpty(); }
    QString firstDivergence() const { return first_; }
    QString summary() const;

private:
    const HandsScript &script_;
    QHash<int, QList<Event>> expected_; // by kind
    QHash<int, int> next_;              // by kind
    int calls_ = 0;
    int texts_ = 0;
    int lastCableShown_ = -1; // 0 none, 1 a reason
    QString first_;
};

// "write 83", "dtr 1", "baud 10400", "open 0433:6066": a call in a report.
QString describeCall(const Event &e);

} // namespace trace

#endif // REPLAYJUDGE_H
