// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/handsscript.h"

#include "trace/exchanges.h"

namespace trace {

namespace {

constexpr int kKwpBaud = 10400;
// An unplug or a plug is placed at least this far from the call it precedes.
constexpr qint64 kMarginUs = 1000;

// A call that fails because the cable is gone (or not yet there).
bool lostCable(const Event &e)
{
    switch (e.kind) {
    case Kind::Write:
    case Kind::Read:
    case Kind::Dtr:
    case Kind::Baud:
    case Kind::Line:
    case Kind::Open: return e.rc < 0;
    default: return false;
    }
}

bool isCall(Kind kind)
{
    return !isWindowRecord(kind) && kind != Kind::End && kind != Kind::Error;
}

class Builder
{
public:
    HandsScript run(const QList<Event> &events)
    {
        for (const Event &e : events) {
            s_.lastUs = e.us;
            if (closed_)
                break; // the program's shutdown: nothing the mechanic saw
            if (isWindowAction(e.kind))
                act(e);
            else if (isWindowShown(e.kind))
                s_.shown.append(e);
            else if (e.kind == Kind::UiWatch)
                s_.statusAsItChanged = e.arg1 != 0;
            else if (isCall(e.kind))
                call(e);
        }
        clampToNextCall();
        return s_;
    }

private:
    qint64 sinceLastCall(qint64 us) const { return us - (s_.calls.isEmpty() ? 0 : lastCallUs_); }

    void add(HandsScript::Step::What what, qint64 delayUs, const Event &e = Event())
    {
        HandsScript::Step step;
        step.what = what;
        step.after = s_.calls.size();
        step.reads = reads_;
        step.delayMs = int(qMax<qint64>(0, delayUs) / 1000);
        step.event = e;
        s_.steps.append(step);
    }

    void act(const Event &e)
    {
        add(HandsScript::Step::Act, sinceLastCall(e.us), e);
        closed_ = e.kind == Kind::UiClose;
        // Closing cuts the last tick's wait short: what the window showed
        // after the last call belongs to the shutdown, not to the bike.
        while (closed_ && !s_.shown.isEmpty() && s_.shown.last().us > lastCallUs_)
            s_.shown.removeLast();
        s_.actions += closed_ ? 0 : 1;
    }

    void call(const Event &e)
    {
        if (lostCable(e) && plugged_) {
            // Pulled after the last call that went through, reads included.
            add(HandsScript::Step::Unplug, sinceLastCall(lastOkUs_) + 999);
            plugged_ = false;
        } else if (e.kind == Kind::Open && e.rc >= 0 && !plugged_) {
            add(HandsScript::Step::Plug, sinceLastCall(e.us) - kMarginUs);
            plugged_ = true;
        }
        if (!lostCable(e))
            lastOkUs_ = e.us;
        if (e.kind == Kind::Baud && e.rc >= 0)
            kwpLine_ = e.arg1 == kKwpBaud;
        if (e.kind == Kind::Open)
            kwpLine_ = false;
        if (e.kind == Kind::Read && e.rc > 0)
            lastReadUs_ = e.us;
        if (e.kind == Kind::Read)
            ++reads_;
        if (!isCountedCall(e.kind))
            return;
        reads_ = 0;
        HandsScript::Call c;
        c.event = e;
        c.kwpLine = kwpLine_;
        const bool newRequest =
            e.kind == Kind::Write && e.rc > 0
            && (lastCountedKind_ != Kind::Write || e.us - lastCallUs_ > IdleGapUs);
        if (newRequest && lastReadUs_ >= 0)
            c.quietUs = e.us - lastReadUs_;
        lastCountedKind_ = e.kind;
        lastCallUs_ = e.us;
        s_.calls.append(c);
    }

    // A step waits no longer than the recording did until the next call.
    void clampToNextCall()
    {
        for (HandsScript::Step &step : s_.steps) {
            if (step.after >= s_.calls.size())
                continue;
            const qint64 next = s_.calls.at(step.after).event.us;
            const qint64 from = step.after > 0 ? s_.calls.at(step.after - 1).event.us : 0;
            const int room = int((next - from - kMarginUs) / 1000);
            step.delayMs = qMax(0, qMin(step.delayMs, room));
        }
    }

    HandsScript s_;
    int reads_ = 0; // since the last counted call
    bool closed_ = false;
    bool plugged_ = true; // the replay's cable starts plugged
    bool kwpLine_ = false;
    qint64 lastOkUs_ = 0;
    qint64 lastCallUs_ = 0;
    qint64 lastReadUs_ = -1;
    Kind lastCountedKind_ = Kind::End;
};

} // namespace

bool isCountedCall(Kind kind)
{
    switch (kind) {
    case Kind::New:
    case Kind::Interface:
    case Kind::Open:
    case Kind::Baud:
    case Kind::Line:
    case Kind::Dtr:
    case Kind::Write:
    case Kind::Close:
    case Kind::Free: return true;
    default: return false;
    }
}

HandsScript handsScript(const QList<Event> &events)
{
    return Builder().run(events);
}

} // namespace trace
