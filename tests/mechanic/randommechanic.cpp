// SPDX-License-Identifier: GPL-3.0-or-later
#include "randommechanic.h"

#include "chartwatcher.h"

#include "support/simsupport.h"
#include "ui/mainwindow.h"
#include "virtualtime.h"

#include "ui/cowindow.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdint>

namespace mechanic {

namespace {
constexpr int kSessionWithinMs = 60000;
constexpr int kIscCheckKeys = 28; // the action keys of item 67's sequence
constexpr int kCheckKeys = 9;

QStringList *logRing = nullptr;
QtMessageHandler previousHandler = nullptr;

// As many lines as a failure report may show (TAVRIX_MECHANIC_LOG).
int logKept()
{
    static const int kept = std::max(400, qEnvironmentVariableIntValue("TAVRIX_MECHANIC_LOG"));
    return kept;
}

void keepLog(QtMsgType, const QMessageLogContext &, const QString &text)
{
    if (logRing->size() >= logKept())
        logRing->removeFirst();
    logRing->append(text);
}

const char *name(Family family)
{
    return family == Family::Auto ? "Auto" : "KWP";
}

// The mechanic's own doings go into the same log, between the tool's lines.
void note(const QString &text)
{
    keepLog(QtDebugMsg, QMessageLogContext(), "mechanic: " + text);
}

QString describe(const sim::EcuAct &act)
{
    if (act.kind == sim::EcuAct::Kind::Clear)
        return QString("a clear of its fault codes (session %1)").arg(act.session);
    return QString("an action key on item %1 at place %2 (session %3)")
        .arg(act.code)
        .arg(act.index)
        .arg(act.session);
}

QString codeList(const QList<int> &codes)
{
    QStringList texts;
    for (int code : codes)
        texts << QString::number(code);
    return texts.join(' ');
}

bool prefixOf(const QList<int> &rows, const QList<int> &list)
{
    if (rows.size() > list.size())
        return false;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i] != list[i])
            return false;
    }
    return true;
}
} // namespace

RandomMechanic::RandomMechanic(Family family, std::uint64_t seed, Options options)
    : startFamily_(family), rng_(seed)
{
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    cable.reset();
    bike_ = std::make_shared<Bike>(rng_);
    cable.seat(bike_);
    bike_->autoEcu().acts().tap([this](const sim::EcuAct &a) { onAct(Family::Auto, a); });
    bike_->kwpEcu().acts().tap([this](const sim::EcuAct &a) { onAct(Family::Kwp, a); });
    logRing = &out_.lastLog;
    previousHandler = qInstallMessageHandler(keepLog);
    window_.reset(new MainWindow);
    probe_.reset(new MainWindowProbe(*window_));
    if (family == Family::Kwp)
        probe_->typeBox()->setCurrentIndex(1);
    for (Family f : {Family::Auto, Family::Kwp})
        allowed_[int(f)].resize(bike_->tableCodes(f).size());
    noteValues();
    if (options.chart)
        chart_.reset(
            new ChartWatcher(*probe_, seed, [this](const QString &what) { violate(what); }));
}

RandomMechanic::~RandomMechanic()
{
    // The window leaves its CO window to the end of the process; a
    // campaign of thousands of runs must not keep them all.
    CoWindow *co = probe_->coWindow();
    probe_->pollTimer()->stop();
    chart_.reset();
    probe_->restoreWaitCursors();
    probe_.reset();
    window_.reset();
    delete co;
    bike_->autoEcu().acts().tap(nullptr);
    bike_->kwpEcu().acts().tap(nullptr);
    sim::VirtualCable::instance().reset();
    qInstallMessageHandler(previousHandler);
    logRing = nullptr;
}

Outcome RandomMechanic::run(long steps)
{
    target_ = steps;
    const qint64 startMs = VirtualTime::nowMs();
    const sim::Nanos startNs = VirtualTime::nowNs();
    scheduleNext();
    while (!stopping_) {
        const long before = out_.steps;
        waitUntil([this] { return stopping_ || settleDue_; }, 600000);
        if (settleDue_ && !stopping_) {
            settleDue_ = false;
            settling_ = true;
            settle();
            settling_ = false;
            if (!stopping_)
                scheduleNext();
        } else if (!stopping_ && out_.steps == before) {
            violate("ten virtual minutes passed without a step of the mechanic");
        }
    }
    out_.virtualSeconds = long((VirtualTime::nowMs() - startMs) / 1000);
    // FNV-1a over each byte and its time: two runs of a seed compare whole.
    out_.lineHash = 14695981039346656037ULL;
    for (const sim::TxByte &b : sim::VirtualCable::instance().transmitted()) {
        for (quint64 part : {quint64(b.value), quint64(b.writtenAt - startNs)}) {
            out_.lineHash ^= part;
            out_.lineHash *= 1099511628211ULL;
        }
    }
    out_.chartActs = chart_ ? chart_->acts() : 0;
    if (out_.violation.isEmpty())
        out_.lastLog.clear();
    return out_;
}

Family RandomMechanic::family() const
{
    return probe_->vehicleType() == QLatin1String("xmax") ? Family::Kwp : Family::Auto;
}

void RandomMechanic::scheduleNext()
{
    // Mostly within a tick's waits, sometimes after a longer look.
    const int band = pick(10);
    const int ms = band < 5 ? pick(60) : band < 9 ? 60 + pick(340) : 400 + pick(2600);
    QTimer::singleShot(ms, &context_, [this] { step(); });
}

void RandomMechanic::step()
{
    // A step scheduled before a settle was asked for dies here; run()
    // starts the chain again once the settle is over.
    if (stopping_ || settleDue_ || settling_)
        return;
    if (++out_.steps >= target_) {
        finishSoon();
        return;
    }
    // The next step is due before this one acts: opening the CO window
    // returns only when a later step closes it.
    scheduleNext();
    act();
    if (!stopping_)
        checkInvariants();
}

void RandomMechanic::act()
{
    if (coOpen_)
        return coAction();
    const int r = pick(1000);
    if (r < 300)
        clickRow(false);
    else if (r < 350)
        clickRow(true);
    else if (r < 520)
        pressAction();
    else if (r < 521)
        toggleType(); // rare: a run stays mostly with its family
    else if (r < 551)
        openCo();
    else if (r < 621)
        trouble();
    else if (r < 626)
        settleDue_ = true;
    // else the mechanic only watches
}

void RandomMechanic::finishSoon()
{
    stopping_ = true;
    if (coOpen_)
        probe_->coWindow()->done(0);
}

void RandomMechanic::clickRow(bool twice)
{
    const int rows = probe_->table()->rowCount();
    if (rows == 0)
        return;
    const int row = pick(rows);
    note(QString("click row %1%2").arg(row).arg(twice ? " twice" : ""));
    revokeWaiting(row);
    probe_->clickRow(row);
    if (twice)
        probe_->clickRow(row);
}

void RandomMechanic::pressAction()
{
    const ActionRequest &request = probe_->actionRequest();
    const bool wasWaiting = request.waiting();
    const int wasRow = request.row();
    const bool enabled = probe_->actionButton()->isEnabled();
    probe_->actionButton()->click();
    note(QString("Action on row %1 (%2)")
             .arg(probe_->selectedRow())
             .arg(!enabled                                ? "off"
                  : !request.waiting()                    ? "refused"
                  : wasWaiting && wasRow == request.row() ? "already waiting"
                                                          : "taken up"));
    if (!enabled || !request.waiting() || (wasWaiting && wasRow == request.row()))
        return;
    Press press;
    press.family = family();
    press.row = request.row();
    press.code = probe_->rowCodes().value(press.row);
    press.clear = press.family == Family::Kwp && press.row >= probe_->pointerRows();
    press.ecuSession = bike_->ecuSession(press.family);
    press.appSession = probe_->sessionSerial();
    press.actsAllowed = press.family == Family::Kwp ? 1
                        : press.code == 67          ? kIscCheckKeys
                                                    : kCheckKeys;
    presses_.append(press);
    ++out_.presses;
}

void RandomMechanic::toggleType()
{
    note("type box");
    revokeAll();
    probe_->typeBox()->setCurrentIndex(1 - probe_->typeBox()->currentIndex());
}

void RandomMechanic::openCo()
{
    note("CO window");
    revokeAll();
    coOpen_ = true;
    ++out_.coWindows;
    probe_->coButton()->click(); // back when a later step closes the window
    coOpen_ = false;
}

void RandomMechanic::coAction()
{
    CoWindow *co = probe_->coWindow();
    const int r = pick(100);
    if (r < 20) {
        co->done(0);
    } else if (r < 60) {
        co->findChild<QPushButton *>(chance(50) ? "pushButton_up" : "pushButton_down")->click();
    } else if (r < 72) {
        QComboBox *cyl = co->findChild<QComboBox *>("comboBox_cyl");
        if (cyl->isEnabled())
            cyl->setCurrentIndex(1 - cyl->currentIndex());
    } else if (r < 80) {
        trouble();
    }
}

void RandomMechanic::trouble()
{
    ++out_.troubles;
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    sim::AutoEcu &autoEcu = bike_->autoEcu();
    sim::KwpEcu &kwpEcu = bike_->kwpEcu();
    const bool onAuto = family() == Family::Auto;
    const int ms = 50 + pick(3000);
    const int kind = pick(6);
    note(QString("trouble %1").arg(kind));
    switch (kind) {
    case 0: // the cable pulled, plugged again later
        revokeAll();
        cable.unplug();
        QTimer::singleShot(200 + pick(3800), &context_,
                           [] { sim::VirtualCable::instance().plug(); });
        break;
    case 1: // the next byte written fails
        revokeAll();
        cable.failWrites(1);
        break;
    case 2: // the ECU silent for a while
        if (onAuto && chance(50)) {
            autoEcu.dropOut(ms, chance(50));
        } else {
            onAuto ? autoEcu.setSilent(true) : kwpEcu.setSilent(true);
            QTimer::singleShot(ms, &context_, [onAuto, &autoEcu, &kwpEcu] {
                onAuto ? autoEcu.setSilent(false) : kwpEcu.setSilent(false);
            });
        }
        break;
    case 3: // garbage on the line
        if (onAuto) {
            autoEcu.setGarbage(true);
            QTimer::singleShot(ms / 10, &context_, [&autoEcu] { autoEcu.setGarbage(false); });
        } else {
            kwpEcu.injectFault(sim::KwpRequest::Any, sim::KwpFault::Garbage, 1 + pick(3));
        }
        break;
    case 4: // an answer a tick late
        onAuto ? autoEcu.answerLate(1, 40 + pick(60)) : kwpEcu.answerLate(1, 80 + pick(150));
        break;
    default: // an answer lost
        if (onAuto)
            autoEcu.muteNext(1);
        else
            kwpEcu.injectFault(sim::KwpRequest::Any, sim::KwpFault::Silence, 1);
        break;
    }
}

// --- settling: the trouble ends, and the tool must come back ---

void RandomMechanic::settle()
{
    ++out_.settles;
    // A write failure already armed still happens (the presses it drops
    // are dropped in the books already); the cable goes back in.
    sim::VirtualCable::instance().plug();
    bike_->autoEcu().setSilent(false);
    bike_->autoEcu().dropOut(0, false);
    bike_->autoEcu().muteNext(0);
    bike_->autoEcu().setGarbage(false);
    bike_->autoEcu().answerLate(0, 0);
    bike_->kwpEcu().setSilent(false);
    bike_->kwpEcu().clearFaults();
    bike_->kwpEcu().answerLate(0, 0);
    bike_->restoreFaults();
    noteValues();
    if (!settleSession())
        return;
    settleRow(pick(bike_->tableCodes(family()).size()));
}

// Where the tool believes things stand, for a report.
QString RandomMechanic::where()
{
    return QString(
               "selected row %1, ECU row %2 (%3), %4 pointer rows, state %5, next key %6, "
               "action step %7")
        .arg(probe_->selectedRow())
        .arg(probe_->ecuRow())
        .arg(probe_->walk().pointer().confirmed() ? "confirmed" : "unconfirmed")
        .arg(probe_->pointerRows())
        .arg(probe_->sessionState())
        .arg(probe_->autoCycle() ? probe_->autoCycle()->nextCommand() : 0, 0, 16)
        .arg(probe_->actionStep());
}

// The slots the poll timer drives (found by taking each off and back on).
QString RandomMechanic::routes()
{
    static const char *const names[] = {" the Auto cycle", " the Auto CO cycle", " the KWP cycle",
                                        " the KWP CO cycle"};
    const Cycle *cycle = probe_->cycle();
    return cycle ? QString::fromLatin1(names[int(cycle->kind())]) : QStringLiteral(" nothing");
}

bool RandomMechanic::settleSession()
{
    const Family f = family();
    const QList<int> table = bike_->tableCodes(f);
    // A handle the pulled cable killed, or a write failure still armed, is
    // found out only at the next write; the session to wait for comes after.
    const sim::VirtualCable &cable = sim::VirtualCable::instance();
    // An answer already on its way late may still throw the session out:
    // the session counts once it has lasted a second.
    const auto up = [&] {
        return cable.held() && cable.writesToFail() == 0
               && probe_->sessionState() == SessionState::Up && probe_->rowCodes() == table
               && probe_->status() == QLatin1String("Connected-Engine On");
    };
    CableClock clock;
    clock.start();
    while (clock.elapsed() < kSessionWithinMs
           && waitUntil(up, int(kSessionWithinMs - clock.elapsed()))) {
        const int serial = probe_->sessionSerial();
        runFor(1000);
        if (up() && probe_->sessionSerial() == serial)
            return true;
    }
    QTimer *timer = probe_->pollTimer();
    violate(QString("no %1 session within %2 s of settling: status \"%3\", state %4, %5 rows, "
                    "poll timer %6")
                .arg(name(f))
                .arg(kSessionWithinMs / 1000)
                .arg(probe_->status())
                .arg(probe_->sessionState())
                .arg(probe_->rowCodes().size())
                .arg(timer->isActive() ? QString("at %1 ms").arg(timer->interval()) : "stopped")
            + " driving" + routes());
    return false;
}

bool RandomMechanic::settleRow(int row)
{
    const Family f = family();
    const int bound = 2000 + 500 * probe_->table()->rowCount();
    revokeWaiting(row);
    probe_->clickRow(row);
    const bool shown = waitUntil([&] {
        return probe_->cell(row, 3) == expected(f, row) && !QGuiApplication::overrideCursor();
    }, bound);
    if (!shown) {
        violate(QString("%1 row %2 (item %3) shows \"%4\", not \"%5\", %6 ms after the click%7; %8")
                    .arg(name(f))
                    .arg(row)
                    .arg(probe_->rowCodes().value(row))
                    .arg(probe_->cell(row, 3))
                    .arg(expected(f, row))
                    .arg(bound)
                    .arg(QGuiApplication::overrideCursor() ? ", cursor still shown" : "", where()));
        return false;
    }
    if (probe_->cell(row, 0) != QLatin1String("A"))
        return true;
    const long pressed = out_.presses;
    pressAction();
    if (out_.presses == pressed) {
        violate(QString("%1 row %2: Action was not taken up after settling").arg(name(f)).arg(row));
        return false;
    }
    const Press &press = presses_.last();
    const bool done = waitUntil([&] {
        return press.acts == press.actsAllowed && !QGuiApplication::overrideCursor();
    }, 5000);
    if (!done)
        violate(QString("%1 row %2: Action reached the ECU %3 of %4 times")
                    .arg(name(f))
                    .arg(row)
                    .arg(press.acts)
                    .arg(press.actsAllowed));
    return done;
}

// --- bookkeeping ---

void RandomMechanic::onAct(Family f, const sim::EcuAct &act)
{
    noteValues();
    const int appSession = probe_->sessionSerial();
    for (int i = presses_.size() - 1; i >= 0; --i) {
        Press &p = presses_[i];
        if (p.revoked || p.family != f || p.acts >= p.actsAllowed)
            continue;
        if (p.ecuSession != act.session || p.appSession != appSession)
            continue;
        const bool clear = act.kind == sim::EcuAct::Kind::Clear;
        if (clear != p.clear || (!clear && (p.row != act.index || p.code != act.code)))
            continue;
        ++p.acts;
        clear ? ++out_.clears : ++out_.checkKeys;
        return;
    }
    QStringList held;
    for (const Press &p : presses_)
        held << QString("row %1 item %2 %3/%4 keys, sessions %5/%6%7")
                    .arg(p.row)
                    .arg(p.code)
                    .arg(p.acts)
                    .arg(p.actsAllowed)
                    .arg(p.ecuSession)
                    .arg(p.appSession)
                    .arg(p.revoked ? ", dropped" : "");
    violate(
        QString("the %1 ECU got %2 with no Action pressed for it (tool session %3; presses: %4)")
            .arg(name(f), describe(act))
            .arg(appSession)
            .arg(held.isEmpty() ? "none" : held.join("; ")));
}

// A click elsewhere drops a press whose check has not begun.
void RandomMechanic::revokeWaiting(int exceptRow)
{
    for (Press &p : presses_) {
        if (p.acts == 0 && p.row != exceptRow)
            p.revoked = true;
    }
}

void RandomMechanic::revokeAll()
{
    note("drops every press");
    presses_.clear();
}

QString RandomMechanic::expected(Family f, int row)
{
    const QString raw = bike_->rawAt(f, row);
    if (bike_->isCountRow(f, row))
        return raw;
    return probe_->convert(QString::number(bike_->tableCodes(f).at(row)), raw);
}

void RandomMechanic::noteValues()
{
    for (Family f : {Family::Auto, Family::Kwp}) {
        const int rows = bike_->tableCodes(f).size();
        for (int row = 0; row < rows; ++row)
            allowed_[int(f)][row].insert(expected(f, row));
    }
}

void RandomMechanic::checkInvariants()
{
    noteValues();
    const QList<int> &codes = probe_->rowCodes();
    const bool fits[2] = {prefixOf(codes, bike_->tableCodes(Family::Auto)),
                          prefixOf(codes, bike_->tableCodes(Family::Kwp))};
    if (!codes.isEmpty() && !fits[0] && !fits[1])
        return violate("the table is not the ECU's list: " + codeList(codes));
    for (int row = 0; row < codes.size(); ++row) {
        const QString cell = probe_->cell(row, 3);
        if (cell.isEmpty())
            continue;
        if (!(fits[0] && allowed_[0][row].contains(cell))
            && !(fits[1] && allowed_[1][row].contains(cell)))
            return violate(QString("row %1 (item %2) shows \"%3\", never a value of its item")
                               .arg(row)
                               .arg(codes[row])
                               .arg(cell));
    }
    const bool pending =
        probe_->selectionPending() || (probe_->hasWalk() && probe_->actionRequest().pending());
    if (bool(QGuiApplication::overrideCursor()) != pending)
        return violate(pending ? "work is pending without a wait cursor"
                               : "a wait cursor is left with nothing pending");
    if (chart_) {
        const QString what = chart_->check();
        if (!what.isEmpty())
            return violate(what);
    }
    if (probe_->actionButton()->isEnabled()
        && probe_->cell(probe_->selectedRow(), 0) != QLatin1String("A"))
        return violate(
            QString("Action is on, but row %1 is no actuator").arg(probe_->selectedRow()));
    // Presses done with stay out of the search.
    if (presses_.size() > 64)
        presses_.erase(
            std::remove_if(presses_.begin(), presses_.end(),
                           [](const Press &p) { return p.revoked || p.acts >= p.actsAllowed; }),
            presses_.end());
}

void RandomMechanic::violate(const QString &what)
{
    if (!out_.violation.isEmpty())
        return;
    out_.violation = what;
    out_.violationStep = out_.steps;
    finishSoon();
}

} // namespace mechanic
