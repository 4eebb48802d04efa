// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/replayhands.h"

#include "trace/exchanges.h"
#include "trace/recording.h"
#include "trace/windowwatch.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace trace {

namespace {
// What the program may do after the recording's last event before the
// replay gives up on it (a minute of session, on virtual time no wait).
constexpr int kGraceMs = 60000;
constexpr int kRowColumn = 2; // where a mechanic clicks a row: its name
} // namespace

ReplayHands::ReplayHands(const QList<Event> &events, std::shared_ptr<ReplayEcu> ecu)
    : script_(handsScript(events)), judge_(script_), ecu_(std::move(ecu))
{
    ecu_->setDivergenceListener([this](int line, const QString &what) {
        judge_.diverged(line, what);
        stopSoon();
    });
    setCallListener([this](const Event &e) { heard(e); });
}

ReplayHands::~ReplayHands()
{
    setCallListener(nullptr);
    ecu_->setDivergenceListener(nullptr);
}

void ReplayHands::start(QWidget *mainWindow)
{
    surface_ = std::make_unique<WindowSurface>(mainWindow);
    if (!surface_->complete()) {
        judge_.diverged(0, "the window lacks a widget the hands need");
        stopSoon();
        return;
    }
    eyes_ = new WindowWatch(mainWindow, script_.statusAsItChanged, [this](Event e) {
        if (isWindowShown(e.kind))
            judge_.shown(e);
    });
    plan(calls_);
    QTimer::singleShot(int(script_.lastUs / 1000) + kGraceMs, this, [this] { finish(); });
}

void ReplayHands::heard(const Event &e)
{
    if (finished_)
        return;
    if (eyes_)
        eyes_->look();
    const qint64 now = sim::nowNs();
    if (e.kind == Kind::Read && e.rc > 0)
        lastReadNs_ = now;
    if (e.kind == Kind::Read) {
        ++reads_;
        planAfterReads();
    }
    if (!isCountedCall(e.kind))
        return;
    reads_ = 0;
    waitingForReads_.clear();
    const bool newRequest =
        e.kind == Kind::Write && e.rc > 0
        && (lastCounted_ != Kind::Write || now - lastWriteNs_ > IdleGapUs * 1000);
    const qint64 quietUs = newRequest && lastReadNs_ >= 0 ? (now - lastReadNs_) / 1000 : -1;
    if (e.kind == Kind::Write)
        lastWriteNs_ = now;
    lastCounted_ = e.kind;
    judge_.call(e, quietUs);
    ++calls_;
    if (!judge_.clean()) {
        stopSoon();
        return;
    }
    plan(calls_);
    if (calls_ == script_.calls.size()) {
        const qint64 restUs = script_.lastUs - script_.calls.last().event.us;
        QTimer::singleShot(int(restUs / 1000) + 1, this, [this] { finish(); });
    }
}

// Steps that follow the calls made so far, each at its delay. Called from
// inside a library call: nothing acts before the event loop runs again.
void ReplayHands::plan(int after)
{
    while (nextStep_ < script_.steps.size() && script_.steps.at(nextStep_).after == after) {
        const int i = nextStep_++;
        const HandsScript::Step &step = script_.steps.at(i);
        if (step.reads > 0)
            waitingForReads_.append(i);
        else if (step.what != HandsScript::Step::Act)
            perform(i); // the cable, not the program: right between two calls
        if (step.reads > 0 || step.what == HandsScript::Step::Act)
            QTimer::singleShot(step.reads > 0 ? step.delayMs : 0, this, [this, i] { perform(i); });
    }
}

// Steps that came after as many reads as have now been made act as soon as
// the read is over; the cable is pulled or plugged at once.
void ReplayHands::planAfterReads()
{
    for (int i : std::as_const(waitingForReads_)) {
        if (script_.steps.at(i).reads != reads_)
            continue;
        if (script_.steps.at(i).what == HandsScript::Step::Act)
            QTimer::singleShot(0, this, [this, i] { perform(i); });
        else
            perform(i);
    }
}

void ReplayHands::perform(int index)
{
    if (finished_ || stopping_ || performed_.contains(index))
        return;
    performed_.insert(index);
    const HandsScript::Step &step = script_.steps.at(index);
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    switch (step.what) {
    case HandsScript::Step::Plug: cable.plug(); break;
    case HandsScript::Step::Unplug: cable.unplug(); break;
    case HandsScript::Step::Act: act(step.event); break;
    }
}

void ReplayHands::act(const Event &e)
{
    WindowSurface &s = *surface_;
    switch (e.kind) {
    case Kind::UiType: s.typeBox->setCurrentIndex(e.arg1); break;
    case Kind::UiRow:
        if (s.codeOf(e.arg1) != e.arg2 || e.arg2 < 0) {
            judge_.diverged(e.line, QString("the mechanic clicked row %1 (item %2); the table has "
                                            "item %3 there")
                                        .arg(e.arg1)
                                        .arg(e.arg2)
                                        .arg(s.codeOf(e.arg1)));
            break;
        }
        s.table->setCurrentCell(e.arg1, kRowColumn);
        emit s.table->cellClicked(e.arg1, kRowColumn);
        break;
    case Kind::UiAction:
        if (!s.action->isEnabled())
            judge_.diverged(e.line, "the mechanic pressed Action; it is disabled here");
        else
            s.action->click();
        break;
    case Kind::UiClose: finish(); return;
    case Kind::UiMenu:
        if (QAction *command = s.menuCommand(QString::fromUtf8(e.texts.value(0))))
            command->trigger();
        else
            judge_.diverged(e.line, "the table's menu has no command \""
                                        + QString::fromUtf8(e.texts.value(0)) + '"');
        break;
    default: actOnCo(e); break;
    }
    if (!judge_.clean())
        stopSoon();
}

bool ReplayHands::coOpen(const Event &e)
{
    if (surface_->coWindow->isVisible())
        return true;
    judge_.diverged(e.line, "the mechanic used the CO window; it is not open here");
    return false;
}

void ReplayHands::actOnCo(const Event &e)
{
    WindowSurface &s = *surface_;
    switch (e.kind) {
    case Kind::UiCo:
        if (e.arg1 == 0) {
            if (coOpen(e))
                s.coWindow->reject(); // as Escape or the window's close box
        } else {
            // Runs the CO window modally, as the mechanic's click did: the
            // later steps act inside its loop.
            s.co->click();
        }
        break;
    case Kind::UiUp:
        if (coOpen(e))
            s.up->click();
        break;
    case Kind::UiDown:
        if (coOpen(e))
            s.down->click();
        break;
    case Kind::UiCyl:
        if (!s.cylinder->isEnabled())
            judge_.diverged(e.line, "the mechanic chose a cylinder; the box is disabled here");
        else
            s.cylinder->setCurrentIndex(e.arg1);
        break;
    default: break;
    }
}

void ReplayHands::stopSoon()
{
    if (stopping_)
        return;
    stopping_ = true;
    QTimer::singleShot(0, this, [this] { finish(); });
}

void ReplayHands::finish()
{
    if (finished_)
        return;
    if (eyes_ && judge_.clean())
        eyes_->look();
    finished_ = true;
    if (judge_.clean())
        judge_.finish();
    emit finished(judge_.clean());
}

} // namespace trace
