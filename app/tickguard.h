#ifndef TICKGUARD_H
#define TICKGUARD_H

// Keeps a protocol tick from starting inside itself. The toolkit never
// re-delivers a timer's expiry while its slot runs, but a restart of the
// poll timer (a CO key, a reconnect) makes a new timer that can expire
// during the old tick's waits; the second tick must then stand aside.
class TickGuard
{
public:
    explicit TickGuard(bool &busy) : busy_(busy), entered_(!busy) { busy_ = true; }
    ~TickGuard()
    {
        if (entered_)
            busy_ = false;
    }
    TickGuard(const TickGuard &) = delete;
    TickGuard &operator=(const TickGuard &) = delete;

    bool entered() const { return entered_; }

private:
    bool &busy_;
    bool entered_;
};

#endif // TICKGUARD_H
