// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/sessionengine.h"

#include "auto/autococycle.h"
#include "auto/autocycle.h"
#include "auto/autofaulttexts.h"
#include "ecu/itemwalk.h"
#include "ecu/sessionstate.h"
#include "kwp/kwpcocycle.h"
#include "kwp/kwpcycle.h"
#include "kwp/kwpfaulttexts.h"
#include "kwp/kwpprotocol.h"
#include "link/cablehint.h"
#include "link/usbserial.h"
#include "session/pacing.h"
#include "session/tickguard.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QTimer>

namespace {
constexpr int kHistoryItem = 61; // the catalogue slot the KWP family makes clearable
} // namespace

SessionEngine::SessionEngine(QObject *parent) : QObject(parent)
{
    pulseMs_.fill(KwpProtocol::LongestPulseMs);
    pollTimer_ = new QTimer(this);
    // Qt's Windows dispatcher (qeventdispatcher_win.cpp, registerTimer) serves
    // a coarse timer of 20 ms or more with SetTimer, on the 15.6 ms system
    // tick: 30 ms would come out 31.25 ms and 110 ms 125 ms. A precise one
    // gets a 1 ms multimedia timer. The waits inside a tick are single shots
    // under 2 s, which QTimer::singleShot already makes precise.
    pollTimer_->setTimerType(Qt::PreciseTimer);
    connect(pollTimer_, SIGNAL(timeout()), this, SLOT(pollTimerExpired()));

    link_ = new UsbSerial(this);
    connect(link_, SIGNAL(ftdiwriteError()), this, SLOT(writeFailed()));
    connect(link_, &UsbSerial::connectFinished, this, &SessionEngine::linkOpened);
    // One connection attempt is due at a time: several failed bytes in a
    // tick, or a failure while attempts already run, move the one attempt
    // rather than start a second round that would reopen a working link.
    connectTimer_ = new QTimer(this);
    connectTimer_->setSingleShot(true);
    // 500 ms after the window and 3 s apart, not up to 5 % early as a
    // coarse timer may be.
    connectTimer_->setTimerType(Qt::PreciseTimer);
    connect(connectTimer_, SIGNAL(timeout()), this, SLOT(connectLink()));
    connectTimer_->start(Pacing::FirstConnectMs);

    itemList_ = ItemCatalogue::build();
    loadAutoFaults();
    Shown out;
    startCycle(out);
}

SessionEngine::~SessionEngine() = default;

const ItemWalk *SessionEngine::walk() const
{
    return cycle_ ? cycle_->walk() : nullptr;
}

int SessionEngine::pulseMs(Cycle::Kind kind) const
{
    return cycle_ && cycle_->kind() == kind ? cycle_->pulseMs() : pulseMs_[std::size_t(kind)];
}

int SessionEngine::selectedRow() const
{
    const ItemWalk *table = walk();
    return table ? table->selected() : carriedSelection_;
}

int SessionEngine::ecuRow() const
{
    const ItemWalk *table = walk();
    return table ? table->pointer().row() : carriedPointer_;
}

void SessionEngine::loadAutoFaults()
{
    errorList_ = AutoFaultTexts::build();
}

void SessionEngine::loadXmaxFaults()
{
    // On this family item 61 is the history count, cleared with Action.
    itemList_[kHistoryItem] = ItemCatalogue::xmaxHistoryEntry();
    errorList_ = KwpFaultTexts::build();
}

// --- the cable ---

void SessionEngine::connectLink()
{
    link_->startConnect();
}

void SessionEngine::linkOpened(bool connected)
{
    // Closed while the open ran: the window is gone, nothing starts.
    if (!running_)
        return;
    Shown out;
    if (connected) {
        // A new line, a new session: a tick that waited through the
        // reconnect belongs to the old one.
        startCycle(out);
        link_->writeDataBit(1);
        pollTimer_->start(Pacing::AutoPollMs);
        qDebug().noquote() << "Connected.";
        out.status = Status::EngineOff;
        out.cableHint = QString();
        show(out);
        return;
    }
    qDebug().noquote() << "Not Connect.";
    out.status = Status::NotConnected;
    // Every three seconds from the start of one attempt to the next, however
    // long an open took on its thread.
    connectTimer_->start(qMax(0, Pacing::RetryConnectMs - link_->lastOpenMs()));
    out.cableHint = CableHint::explain(link_->lastOpenFailure(), link_->lastSighting());
    show(out);
}

void SessionEngine::writeFailed()
{
    // The session ends with the lost byte: the rest of a tick under way, a
    // check still to run and a login half done were all for it. A login
    // resumed past keys the ECU never got would walk it somewhere else (a
    // CO login's action keys would finish its diagnosis login and check
    // the item it stands on), so the next session starts from the top.
    Shown out;
    out.cableLost = true;
    rpm_ = coValue_ = 0;
    startCycle(out);
    pollTimer_->stop();
    out.status = Status::NotConnected;
    connectTimer_->start(Pacing::ReconnectMs);
    show(out);
}

void SessionEngine::close()
{
    pollTimer_->stop();
    connectTimer_->stop();
    disconnect(pollTimer_, SIGNAL(timeout()), this, SLOT(pollTimerExpired()));
    disconnect(link_, SIGNAL(ftdiwriteError()), this, SLOT(writeFailed()));
    if (link_->isConnected())
        qDebug().noquote() << "Disconnected";
    running_ = false;
}

// --- the type box and the CO window ---

void SessionEngine::chooseType(int index)
{
    const bool xmax = index != 0;
    vehicleType_ = xmax ? QStringLiteral("xmax") : QStringLiteral("auto");
    Shown out;
    out.typeChosen = vehicleType_;
    if (xmax) {
        loadXmaxFaults();
    } else {
        loadAutoFaults();
        // The Auto ECU only listens at the speed the line had when opened.
        if (lineAtKwpSpeed_ && link_->isConnected())
            link_->setBaud(UsbSerial::OpenBaud);
        lineAtKwpSpeed_ = false;
    }
    // A session belongs to the ECU it was opened with: the other family
    // starts with its own login, not by polling an ECU it never greeted.
    startCycle(out);
    // A tick of the other family may have stopped the timer for its waits;
    // the new family starts at its first pace.
    if (link_->isConnected())
        pollTimer_->start(Pacing::AutoPollMs);
    show(out);
}

bool SessionEngine::enterCo()
{
    if (!link_->isConnected())
        return false;
    qDebug().noquote() << "logiiin";
    Shown out;
    if (cycle_)
        cycle_->tableCleared();
    clearShownTable(out);
    // Each CO window logs in from the identification: a login step kept
    // from an earlier window would send its action keys to an ECU still in
    // its diagnosis, as checks of whatever item it stands on.
    coMode_ = true;
    startCycle(out);
    coValue_ = 0;
    rpm_ = 0;
    out.coDisplay = Shown::CoDisplay{0, 0};
    pollTimer_->stop();
    out.status = Status::EngineOff;
    pollTimer_->start(Pacing::AutoPollMs);
    show(out);
    return true;
}

void SessionEngine::leaveCo()
{
    // The ECU is in its CO mode now: the normal cycle identifies it anew.
    // The timer runs on at the pace it had.
    Shown out;
    coMode_ = false;
    startCycle(out);
    out.status = Status::EngineOff;
    show(out);
}

// The key goes out in the CO cycle's next tick, in place of a reading (or
// alone before it on KWP), so that no tick runs between the pause and the
// key and no second tick starts inside a running one.
void SessionEngine::coKey(std::uint8_t key)
{
    if (!cycle_ || !cycle_->key(key))
        return;
    pollTimer_->start(Pacing::CoKeyPollMs);
}

void SessionEngine::chooseCylinder(int index)
{
    qDebug().noquote() << "cyl...................... " + QString::number(index);
    // Only the Auto CO session knows a cylinder change.
    if (cycle_)
        cycle_->cylinder(index);
    Shown out;
    show(out);
}

void SessionEngine::redisplay()
{
    Shown out;
    if (shownState_ == SessionState::Up)
        out.coDisplay = Shown::CoDisplay{rpm_, coValue_};
    show(out);
}

// --- the table ---

void SessionEngine::selectRow(int row)
{
    if (row < 0 || row >= rowCodes_.size())
        return;
    if (cycle_)
        cycle_->select(row);
    Shown out;
    showState(out);
    const int code = rowCodes_.at(row);
    out.itemSelected = code;
    actionEnabled_ = actuatorRows_.value(row);
    out.actionEnabled = actionEnabled_;
    out.info = QStringLiteral("Info: ") + ItemCatalogue::description(itemList_, code);
    emit shown(out);
}

void SessionEngine::pressAction()
{
    // The cycle takes the press up only in its session, and not twice.
    if (!actionEnabled_ || !cycle_)
        return;
    cycle_->press();
    Shown out;
    show(out);
}

// The table emptied from outside the cycle: the cycle's view of it
// follows, and a scan under way starts again from item 1.
void SessionEngine::clearTable()
{
    if (cycle_)
        cycle_->tableCleared();
    Shown out;
    clearShownTable(out);
    show(out);
}

void SessionEngine::clearShownTable(Shown &out)
{
    out.clearTable = true;
    actionEnabled_ = false;
    out.actionEnabled = false;
    if (rowCodes_.isEmpty())
        return;
    rowCodes_.clear();
    actuatorRows_.clear();
    carriedSelection_ = 0;
    carriedPointer_ = 0;
}

// --- the cycles ---

void SessionEngine::startCycle(Shown &out)
{
    // A tick of the cycle that goes must not apply anything to the new one.
    ++epoch_;
    if (cycle_) {
        if (const int pulse = cycle_->pulseMs())
            pulseMs_[std::size_t(cycle_->kind())] = pulse;
        // A cylinder change cut short starts again from its first key once
        // the next CO session is up: the box still shows the mechanic's choice.
        cylinderOwed_ = cycle_->cylinderOwed();
        if (const ItemWalk *table = cycle_->walk()) {
            carriedSelection_ = table->selected();
            carriedPointer_ = table->pointer().row();
        }
    }
    // The cycle for the type and the window: Auto, Auto CO, KWP, KWP CO.
    static const Cycle::Kind kinds[2][2] = {{Cycle::Kind::Auto, Cycle::Kind::AutoCo},
                                            {Cycle::Kind::Kwp, Cycle::Kind::KwpCo}};
    const bool xmax = vehicleType_ == QLatin1String("xmax");
    cycle_ =
        makeCycle(kinds[xmax][coMode_], ItemWalk(rowCodes_, carriedSelection_, carriedPointer_));
    showState(out);
}

// A polling cycle knows the table the window still shows, so that a click
// on a row is understood; the ECU's pointer stands on none of its rows
// until a scan of its own.
std::shared_ptr<Cycle> SessionEngine::makeCycle(Cycle::Kind kind, const ItemWalk &shown) const
{
    const int pulse = pulseMs_[std::size_t(kind)];
    switch (kind) {
    case Cycle::Kind::Auto: return std::make_shared<AutoCycle>(errorList_, shown);
    case Cycle::Kind::AutoCo:
        return std::make_shared<AutoCoCycle>(AutoCoCycle::State(cylinderOwed_));
    case Cycle::Kind::Kwp: return std::make_shared<KwpCycle>(pulse, errorList_, shown);
    case Cycle::Kind::KwpCo: return std::make_shared<KwpCoCycle>(pulse);
    }
    return nullptr;
}

void SessionEngine::show(const Effects &effects)
{
    Shown out(effects);
    show(out);
}

// What a cycle decided becomes what the table, the CO window and the
// cursors show.
void SessionEngine::show(Shown &out)
{
    if (out.clearTable)
        clearShownTable(out); // the cycle has emptied its own view already
    if (out.addRow >= 0) {
        const ItemCatalogue::ItemRow row = ItemCatalogue::row(itemList_, out.addRow);
        rowCodes_.append(out.addRow);
        actuatorRows_.append(row.actuator);
        out.row = row;
    }
    if (out.rpm)
        rpm_ = *out.rpm;
    if (out.co)
        coValue_ = *out.co;
    // Shown while the session is up as it was before this answer.
    if (out.display && shownState_ == SessionState::Up)
        out.coDisplay = Shown::CoDisplay{rpm_, coValue_};
    showState(out);
    emit shown(out);
}

// Whether the session came up or ended, and what the cursors show, as the
// cycle's state is now.
void SessionEngine::showState(Shown &out)
{
    const int state = sessionState();
    if ((state == SessionState::Up) != (shownState_ == SessionState::Up)) {
        ++sessionSerial_;
        out.sessionChanged = true;
    }
    shownState_ = state;
    const ItemWalk *table = walk();
    // A wait cursor shows exactly while something asked for is pending.
    const bool selectionBusy = table && table->selectionPending();
    const bool actionBusy = table && table->request().pending();
    if (selectionBusy != selectionBusy_)
        out.selectionBusy = selectionBusy_ = selectionBusy;
    if (actionBusy != actionBusy_)
        out.actionBusy = actionBusy_ = actionBusy;
}

// --- the ticks ---

void SessionEngine::pollTimerExpired()
{
    if (cycle_)
        tick(cycle_->kind());
}

void SessionEngine::tick(Cycle::Kind kind)
{
    TickGuard tick(busy_[std::size_t(kind)], epoch_, running_);
    const std::shared_ptr<Cycle> cycle = cycle_ && cycle_->kind() == kind ? cycle_ : nullptr;
    if (!tick.entered() || !cycle)
        return;
    if (cycle->holdsTimer()) {
        if (!link_->isConnected()) {
            qDebug().noquote() << "usb not connect";
            return;
        }
        // The timer waits for the tick: its end starts it again.
        pollTimer_->stop();
    }
    run(tick, *cycle);
}

void SessionEngine::run(const TickGuard &tick, Cycle &cycle)
{
    for (;;) {
        const Step step = cycle.next();
        show(step.effects);
        switch (step.kind) {
        case Step::Kind::End:
            if (step.restartMs >= 0)
                pollTimer_->start(step.restartMs);
            return;
        case Step::Kind::WakeUp:
            if (!wakeUp(tick, step))
                return;
            break;
        case Step::Kind::Key:
            link_->writeBytes(step.request);
            delay(step.keyPauseMs);
            if (tick.overtaken())
                return;
            link_->readBytes(); // the key's echo
            break;
        case Step::Kind::Exchange: {
            const QByteArray reply = exchange(step);
            if (tick.overtaken())
                return;
            logReply(step, reply);
            show(cycle.onReply(reply));
            break;
        }
        }
    }
}

QByteArray SessionEngine::exchange(const Step &step)
{
    link_->writeBytes(step.request);
    delay(step.read.waitMs);
    QByteArray reply = link_->readBytes();
    if (reply.isEmpty() && step.read.secondReadMs >= 0) {
        if (step.read.secondReadMs > 0)
            delay(step.read.secondReadMs);
        reply = link_->readBytes();
    }
    return reply;
}

void SessionEngine::logReply(const Step &step, const QByteArray &reply)
{
    if (!step.logged)
        return;
    QString text = UsbSerial::hexText(reply);
    if (!step.read.keepComma && text.endsWith(QLatin1Char(',')))
        text.chop(1);
    qDebug().noquote() << step.logTag + text;
}

// Wakes the ECU with a DTR pulse at the line speed the step names; false
// when the tick was overtaken meanwhile.
bool SessionEngine::wakeUp(const TickGuard &tick, const Step &step)
{
    const Step::WakeUp &w = step.wakeUp;
    delay(w.beforeMs);
    if (tick.overtaken())
        return false;
    link_->setBaud(w.baud);
    lineAtKwpSpeed_ = true;
    qDebug().noquote() << "login xmax";
    QElapsedTimer clock;
    clock.start();
    link_->writeDataBit(0);
    delayLogin(w.pulseMs);
    link_->writeDataBit(1);
    const double elapsedMs = clock.nsecsElapsed() / 1e6;
    qDebug().noquote() << "timer delay= " + QString::number(elapsedMs, 'g', 6);
    delay(w.afterMs);
    if (tick.overtaken())
        return false;
    link_->readBytes(); // whatever the pulse left on the line
    return true;
}
