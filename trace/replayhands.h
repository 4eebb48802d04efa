// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLAYHANDS_H
#define REPLAYHANDS_H

// The mechanic's hands in a hands-free replay (tavrix-replay --hands): they
// do what the recording says the mechanic did, at the same point of the
// session, through the window's widgets as a mechanic would (a row made
// current and clicked, buttons clicked, the CO window closed as Escape
// does), pull and plug the simulated cable where the recording lost and
// found it, and watch the window with the recorder's eyes. A judge
// (replayjudge.h) compares; the first divergence ends the replay.

#include "trace/handsscript.h"
#include "trace/replayecu.h"
#include "trace/replayjudge.h"
#include "trace/windowsurface.h"

#include <QObject>
#include <QSet>

#include <memory>

namespace trace {

class WindowWatch;

class ReplayHands : public QObject
{
    Q_OBJECT

public:
    // Before the window exists: the first calls of the program are heard.
    ReplayHands(const QList<Event> &events, std::shared_ptr<ReplayEcu> ecu);
    ~ReplayHands() override;

    // The window is up: the eyes open and the first steps are planned.
    void start(QWidget *mainWindow);
    bool clean() const { return judge_.clean(); }
    const ReplayJudge &judge() const { return judge_; }

signals:
    void finished(bool clean);

private:
    void heard(const Event &e);
    void plan(int after);
    void planAfterReads();
    void perform(int index);
    void act(const Event &e);
    void actOnCo(const Event &e);
    bool coOpen(const Event &e);
    void stopSoon();
    void finish();

    HandsScript script_;
    ReplayJudge judge_;
    std::shared_ptr<ReplayEcu> ecu_;
    std::unique_ptr<WindowSurface> surface_;
    WindowWatch *eyes_ = nullptr;
    int calls_ = 0;
    int nextStep_ = 0;
    int reads_ = 0;              // since the last counted call
    QList<int> waitingForReads_; // steps of the last counted call
    QSet<int> performed_;
    bool finished_ = false;
    bool stopping_ = false;
    qint64 lastReadNs_ = -1;
    qint64 lastWriteNs_ = -1;
    Kind lastCounted_ = Kind::End;
};

} // namespace trace

#endif // REPLAYHANDS_H
