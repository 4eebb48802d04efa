// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MECHANIC_H
#define MECHANIC_H

// A scripted mechanic at the real main window, for sessions that are
// recorded and then replayed. The tool's requests follow from the replies
// and the clicks alone, so a replay asks the same things as its recording
// only if every click lands in the same tick. Ticks are not wall time on a
// loaded machine, so clicks are placed by the tool's own writes instead:
// while recording, a stage acts once it is ready and the tool has written
// again, and notes how many bytes were on the line then (its mark); a
// replay acts on each stage as soon as that many bytes have been written.
// Right after a write the tool is inside its tick's wait, where the clicks
// of a real mechanic are handled too.

#include "sim/virtualcable.h"

#include <QList>
#include <QTimer>

#include <functional>

class Mechanic
{
public:
    struct Stage {
        std::function<bool()> ready; // used while recording only
        std::function<void()> act;   // may open the modal CO window
    };

    // Recording: marks are taken as the stages act.
    explicit Mechanic(QList<Stage> stages) : stages_(std::move(stages)) { start(); }
    // Replay: each stage acts at the mark of its recording.
    Mechanic(QList<Stage> stages, QList<std::size_t> marks)
        : stages_(std::move(stages)), marks_(std::move(marks)), replaying_(true)
    {
        start();
    }

    bool finished() const { return next_ >= stages_.size(); }
    const QList<std::size_t> &marks() const { return marks_; }

private:
    static std::size_t written() { return sim::VirtualCable::instance().transmitted().size(); }

    void start()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { step(); });
        timer_.start(1);
    }

    void step()
    {
        if (finished()) {
            timer_.stop();
            return;
        }
        if (!due())
            return;
        if (!replaying_)
            marks_.append(written());
        // Not from this timer's slot: the CO window's modal loop would
        // hold the timer and with it every later stage.
        QTimer::singleShot(0, stages_[next_].act);
        ++next_;
        readyAt_ = 0;
    }

    bool due()
    {
        if (replaying_)
            return next_ < marks_.size() && written() >= marks_[next_];
        if (readyAt_ == 0 && stages_[next_].ready())
            readyAt_ = written() + 1;
        return readyAt_ != 0 && written() >= readyAt_;
    }

    QList<Stage> stages_;
    QList<std::size_t> marks_;
    bool replaying_ = false;
    int next_ = 0;
    std::size_t readyAt_ = 0;
    QTimer timer_;
};

#endif // MECHANIC_H
