// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autocycle.h"

#include "auto/autoprotocol.h"
#include "auto/diagvalue.h"
#include "faultrows.h"
#include "statustexts.h"

#include <QDebug>

#include <cstdint>

using namespace AutoProtocol;

namespace {
const char kHistoryHeading[] = "Info: History kode kesalahan";
constexpr int kHistoryItem = FaultRows::History;
constexpr int kClearItem = FaultRows::Current;
} // namespace

AutoCycle::AutoCycle(const QList<QString> &faultTexts, const ItemWalk &shown)
    : faultTexts_(faultTexts), walk_(shown)
{
}

AutoRequest AutoCycle::next()
{
    switch (state_) {
    case State::Login: return loginKey();
    case State::Session: return sessionKey();
    }
    return loginKey();
}

Effects AutoCycle::onReply(const AutoReply &reply)
{
    switch (asked_) {
    case State::Login: return readLogin(reply);
    case State::Session: return readSession(reply);
    }
    return {};
}

bool AutoCycle::press()
{
    // Only a session carries a check out; one under way is not started twice.
    if (state_ != State::Session || walk_.request().running())
        return false;
    walk_.press();
    return true;
}

void AutoCycle::show(Effects &out, const char *status)
{
    out.status = QString::fromLatin1(status);
    engineOnShown_ = out.status == QLatin1String(StatusText::EngineOn);
}

void AutoCycle::enter(State state)
{
    if (state != state_)
        walk_.sessionChanged();
    state_ = state;
}

// --- login and scan ---

AutoRequest AutoCycle::loginKey()
{
    asked_ = State::Login;
    AutoRequest request;
    request.waitMs = LoginWaitMs;
    request.logTag = QStringLiteral("diag:");
    if (loginStep_ >= UnlockFirstStep && loginStep_ < 0) {
        request.key = unlockSequence()[std::size_t(loginStep_ - UnlockFirstStep)];
        ++loginStep_;
    } else {
        if (loginStep_ == ScanGroupStart) {
            // An up key of the scan: it counts toward the table's length.
            show(request.effects, StatusText::EngineOn);
            walk_.scanMoved();
        }
        const KeyAndStep key = keyFor(LoginSteps, loginStep_, Identify);
        request.key = key.key;
        loginStep_ = key.step;
    }
    sent_ = request.key;
    return request;
}

Effects AutoCycle::readLogin(const AutoReply &reply)
{
    Effects out;
    if (reply.tooShort()) {
        // Identification starts over: the "Engine On" of the scan no longer holds.
        loginStep_ = 0;
        if (engineOnShown_)
            show(out, StatusText::EngineOff);
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

// The table lists the ECU's items from item 1 on, one row per up key sent
// since item 1: an item announced when the two disagree means an
// announcement was lost (the item would be missing, and every row behind it
// one step off), so the table goes and a new pass begins at the next item 1;
// back at item 1 in step, the pass is complete and the session is up.
void AutoCycle::announce(int code, Effects &out)
{
    bool restart = walk_.scanOutOfStep();
    bool addRow = false;
    bool sessionUp = false;
    if (code != 1) {
        addRow = walk_.scanPass() == 1; // items met before item 1 are not listed
    } else if (walk_.scanPass() == 1) {
        sessionUp = true;
        walk_.setScanPass(0);
    } else {
        restart = true;
        addRow = true;
        walk_.setScanPass(1);
    }
    if (restart) {
        walk_.restartScan(walk_.scanPass());
        out.clearTable = true;
    }
    if (addRow) {
        walk_.addItemRow(code);
        out.addRow = code;
    }
    if (sessionUp) {
        // Back on item 1: the first row, which the ECU has just shown.
        walk_.pointer().startOnFirstRow();
        nextCommand_ = Hold;
        enter(State::Session);
    }
}

// --- session ---

AutoRequest AutoCycle::sessionKey()
{
    if (walk_.codes().isEmpty()) {
        // Nothing to follow (the table was emptied): log in anew so that
        // the table is built again.
        enter(State::Login);
        loginStep_ = 0;
        AutoRequest request = loginKey();
        show(request.effects, StatusText::EngineOff);
        return request;
    }
    asked_ = State::Session;
    AutoRequest request;
    request.waitMs = SessionWaitMs;
    request.key = Hold;
    const ActionRequest &check = walk_.request();
    if (check.running() || walk_.checkMayStart()) {
        const bool isc = walk_.codeAt(check.row()) == QString::number(IscItem);
        if (!check.running())
            walk_.startPress();
        int &step = walk_.checkStep();
        const KeyAndStep key = keyFor(ActionSteps, step, Hold);
        request.key = key.key;
        step = key.step;
        if (step >= (isc ? IscActionEnd : ActionEnd)) {
            // The last key of the check; the check of item 62 erases the codes.
            request.effects.faultsCleared =
                walk_.codeAt(check.row()) == QString::number(kClearItem);
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
            request.key = move > 0 ? Up : Down;
            walk_.pointer().moved(move);
            qDebug().noquote() << (move > 0 ? "up" : "down");
        }
    }
    sent_ = request.key;
    return request;
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
            show(out, StatusText::EngineOff);
        }
        return out;
    }
    EcuPointer &pointer = walk_.pointer();
    if (reply.showsCode()) {
        const int code = reply.shown;
        const ActionRequest &check = walk_.request();
        // The check's item is no longer under the pointer: it stops.
        if (check.running() && (code < 0 || QString::number(code) != walk_.codeAt(check.row())))
            walk_.dropPress();
        if (code >= 0
            && pointer.reported(code, walk_.codes(), walk_.pointerRows())
                   == EcuPointer::Report::Unknown) {
            // A code no row has: the table is not this ECU's list.
            qDebug().noquote() << "table out of step";
            enter(State::Login);
            show(out, StatusText::EngineOff);
            return out;
        }
    }
    const int selected = walk_.selected();
    std::uint8_t next = Hold;
    if (pointer.standsOn(selected)) {
        walk_.selectionReached();
        if (reply.showsValue())
            showValue(reply.shownText, out);
        out.checking = reply.showsCheck();
    } else if (pointer.row() != selected && reply.showsCode()) {
        next = selected > pointer.row() ? Up : Down;
    }
    nextCommand_ = next;
    out.display = true;
    return out;
}

void AutoCycle::showValue(const QString &raw, Effects &out) const
{
    const int row = walk_.selected();
    const QString code = walk_.codeAt(row);
    if (code.isEmpty())
        return;
    out.valueRow = row;
    out.value = DiagValue::convert(code, raw);
    if (code != QString::number(kHistoryItem))
        return;
    // The history item's value is a fault code: its explanation below the heading.
    const int fault = out.value.toInt();
    const QString text = fault >= 0 && fault < FaultSlots ? faultTexts_.value(fault) : QString();
    out.info = text.isEmpty() ? QString(kHistoryHeading) : QString(kHistoryHeading) + "\n" + text;
    out.faultRow = kHistoryItem;
    out.faults = {true, 0, 1, {{out.value, text}}};
}
