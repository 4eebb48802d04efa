// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TICKGUARD_H
#define TICKGUARD_H

// One tick of a cycle. It keeps a cycle's tick from starting inside itself
// (a restart of the poll timer, by a CO key or a reconnect, makes a new
// timer that can expire during the old tick's waits) and tells the tick,
// after each wait, whether it has been overtaken: the type box, the CO
// window, a failed write, a reconnect or the close button acted meanwhile,
// and what the tick had started no longer concerns anyone.
class TickGuard
{
public:
    TickGuard(bool &busy, const int &epoch, const bool &running)
        : busy_(busy), entered_(!busy), epoch_(epoch), startEpoch_(epoch), running_(running)
    {
        busy_ = true;
    }
    ~TickGuard()
    {
        if (entered_)
            busy_ = false;
    }
    TickGuard(const TickGuard &) = delete;
    TickGuard &operator=(const TickGuard &) = delete;

    bool entered() const { return entered_; }
    bool overtaken() const { return epoch_ != startEpoch_ || !running_; }

private:
    bool &busy_;
    bool entered_;
    const int &epoch_;
    int startEpoch_;
    const bool &running_;
};

#endif // TICKGUARD_H
