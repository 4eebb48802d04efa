// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TICK_H
#define TICK_H

#include "mainwindow.h"

// One run of a protocol slot. It keeps the slot from starting inside itself
// (a restart of the poll timer, by a CO key or a reconnect, makes a new
// timer that can expire during the old tick's waits) and tells the tick,
// after each wait, whether it has been overtaken: the type box, the CO
// window, a failed write, a reconnect or the close button acted meanwhile,
// and what the tick had started no longer concerns anyone.
class MainWindow::Tick
{
public:
    Tick(bool &busy, const int &epoch, const bool &running)
        : busy_(busy), entered_(!busy), epoch_(epoch), startEpoch_(epoch), running_(running)
    {
        busy_ = true;
    }
    ~Tick()
    {
        if (entered_)
            busy_ = false;
    }
    Tick(const Tick &) = delete;
    Tick &operator=(const Tick &) = delete;

    bool entered() const { return entered_; }
    bool overtaken() const { return epoch_ != startEpoch_ || !running_; }

private:
    bool &busy_;
    bool entered_;
    const int &epoch_;
    int startEpoch_;
    const bool &running_;
};

#endif // TICK_H
