// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autocycle.h"

#include "auto/autoprotocol.h"
#include "auto/keystep.h"
#include "ecu/diagvalue.h"
#include "ecu/faultrows.h"
#include "ecu/scanpass.h"

#include <QDebug>

#include <cstdint>

using namespace AutoProtocol;

namespace {
const char kHistoryHeading[] = "Info: History kode kesalahan";
constexpr int kHistoryItem = FaultRows::History;
constexpr int kClearItem = FaultRows::Current;
} // namespace

AutoCycle::AutoCycle(const QList<QString> &faultTexts, const ItemWalk &shown)
    : PollingCycle(shown), faultTexts_(faultTexts)
{
}

Step AutoCycle::next()
{
    // A tick is one key: the step after it ends the tick, the timer running on.
    if (keySent_) {
        keySent_ = false;
        return Step();
    }
    keySent_ = true;
    switch (state_) {
    case State::Login: return loginKey();
    case State::Session: return sessionKey();
    }
    return loginKey();
}

Effects AutoCycle::onReply(const QByteArray &answer)
{
    const AutoReply reply = AutoReply::parse(answer);
    switch (asked_) {
    case State::Login: return readLogin(reply);
    case State::Session: return readSession(reply);
    }
    return {};
}

void AutoCycle::show(Effects &out, Status status)
{
    out.status = status;
    engineOnShown_ = status == Status::EngineOn;
}

void AutoCycle::enter(State state)
{
    sessionMayChange(state_ == State::Session, state == State::Session);
    state_ = state;
}

// --- login and scan ---

Step AutoCycle::loginKey()
{
    asked_ = State::Login;
    Effects shown;
    if (loginStep_ >= UnlockFirstStep && loginStep_ < 0) {
        sent_ = unlockSequence()[std::size_t(loginStep_ - UnlockFirstStep)];
        ++loginStep_;
    } else {
        if (loginStep_ == ScanGroupStart) {
            // An up key of the scan: it counts toward the table's length.
            show(shown, Status::EngineOn);
            walk_.scanMoved();
        }
        const KeyAndStep key = keyFor(LoginSteps, loginStep_, Identify);
        sent_ = key.key;
        loginStep_ = key.step;
    }
    Step step = keyStep(sent_, LoginWaitMs, QStringLiteral("diag:"));
    step.effects = shown;
    return step;
}

Effects AutoCycle::readLogin(const AutoReply &reply)
{
    Effects out;
    if (reply.tooShort()) {
        // Identification starts over: the "Engine On" of the scan no longer holds.
        loginStep_ = 0;
        if (engineOnShown_)
            show(out, Status::EngineOff);
        return out;
    }
    const int keyStep = loginStep_;
    // Only the ECU's own answer to the key identifies or acknowledges: a
    // reading or a late answer that happens to end in a model code or an
    // acknowledgement would send the login keys, action keys among them, to
    // an ECU in its diagnosis.
    const bool answer = reply.answers(sent_);
    if (sent_ == Identify) {
        if (loginStep_ == 0) {
            walk_.clear();
            out.clearTable = true;
        }
        const ModelCode *model = answer ? matchModel(LoginModels, reply.last) : nullptr;
        if (model && loginStep_ == 0) {
            qDebug().noquote() << QStringLiteral("login=") + QLatin1String(model->name);
            out.ecuNamed = QLatin1String(model->name);
            loginStep_ = model->nextStep;
            if (model->expected != NoExpectation)
                expectedReply_ = model->expected;
        }
    }
    if (answer && reply.acknowledges() && loginStep_ == AcknowledgeStep) {
        qDebug().noquote() << "login=ce";
        loginStep_ = AcknowledgeStep + 1;
    }
    if (reply.showsCode() && keyStep > ScanFromStep) {
        qDebug().noquote() << "table  add";
        const int code = reply.shown;
        qDebug().noquote() << "code " + QString::number(code) + " " + QString::number(code);
        loginStep_ = ScanGroupStart;
        // Only a whole ECU reading announces an item: a broken or glued
        // answer would put a row in the table that the ECU does not have.
        if (reply.isReading())
            announce(code, out);
    }
    return out;
}

// The Auto table closes on the second item 1, with no rows of its own after
// the items: the session is then up.
void AutoCycle::announce(int code, Effects &out)
{
    if (ScanPass::met(walk_, code, {}, out).complete) {
        nextCommand_ = Hold;
        enter(State::Session);
    }
}

// --- session ---

Step AutoCycle::sessionKey()
{
    if (walk_.codes().isEmpty()) {
        // Nothing to follow (the table was emptied): log in anew so that
        // the table is built again.
        enter(State::Login);
        loginStep_ = 0;
        Step step = loginKey();
        show(step.effects, Status::EngineOff);
        return step;
    }
    asked_ = State::Session;
    Effects shown;
    std::uint8_t key = Hold;
    const ActionRequest &check = walk_.request();
    if (check.running() || walk_.checkMayStart()) {
        const bool isc = walk_.codeAt(check.row()) == IscItem;
        if (!check.running())
            walk_.startPress();
        int &step = walk_.checkStep();
        const KeyAndStep next = keyFor(ActionSteps, step, Hold);
        key = next.key;
        step = next.step;
        if (step >= (isc ? IscActionEnd : ActionEnd)) {
            // The last key of the check; the check of item 62 erases the codes.
            shown.faultsCleared = walk_.codeAt(check.row()) == kClearItem;
            walk_.dropPress();
        }
    } else {
        // The ECU moves only when it has just shown a code; the way is
        // decided now, toward the row selected now.
        const int selected = walk_.selected();
        const int row = walk_.pointer().row();
        const bool mayMove = nextCommand_ == Up || nextCommand_ == Down;
        const bool target = selected >= 0 && selected < walk_.pointerRows();
        if (mayMove && target && row != selected) {
            const int move = selected > row ? 1 : -1;
            key = move > 0 ? Up : Down;
            walk_.pointer().moved(move);
            qDebug().noquote() << (move > 0 ? "up" : "down");
        }
    }
    sent_ = key;
    Step step = keyStep(key, SessionWaitMs, QString());
    step.effects = shown;
    return step;
}

Effects AutoCycle::readSession(const AutoReply &reply)
{
    Effects out;
    if (!reply.isReading()) {
        out.rpm = 0;
        out.co = 0;
        out.display = true;
        if (reply.size == 1) {
            enter(State::Login);
            show(out, Status::EngineOff);
        }
        return out;
    }
    EcuPointer &pointer = walk_.pointer();
    if (reply.showsCode()) {
        const int code = reply.shown;
        const ActionRequest &check = walk_.request();
        // The check's item is no longer under the pointer: it stops.
        if (check.running() && (code < 0 || code != walk_.codeAt(check.row())))
            walk_.dropPress();
        if (code >= 0
            && pointer.reported(code, walk_.codes(), walk_.pointerRows())
                   == EcuPointer::Report::Unknown) {
            // A code no row has: the table is not this ECU's list.
            qDebug().noquote() << "table out of step";
            enter(State::Login);
            show(out, Status::EngineOff);
            return out;
        }
    }
    const int selected = walk_.selected();
    std::uint8_t next = Hold;
    if (pointer.standsOn(selected)) {
        walk_.selectionReached();
        if (reply.showsValue())
            showValue(reply.shown, out);
        out.checking = reply.showsCheck();
    } else if (pointer.row() != selected && reply.showsCode()) {
        next = selected > pointer.row() ? Up : Down;
    }
    nextCommand_ = next;
    out.display = true;
    return out;
}

void AutoCycle::showValue(int raw, Effects &out) const
{
    const int row = walk_.selected();
    const int code = walk_.codeAt(row);
    if (code < 0)
        return;
    out.valueRow = row;
    out.value = DiagValue::convert(code, raw);
    if (code != kHistoryItem)
        return;
    // The history item's value is a fault code: its explanation below the heading.
    const int fault = out.value.toInt();
    const QString text = fault >= 0 && fault < FaultSlots ? faultTexts_.value(fault) : QString();
    out.info = text.isEmpty() ? QString(kHistoryHeading) : QString(kHistoryHeading) + "\n" + text;
    out.faultRow = kHistoryItem;
    out.faults = {true, 0, 1, {{out.value, text}}};
}
