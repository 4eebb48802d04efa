// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwpcycle.h"

#include "ecu/diagvalue.h"
#include "ecu/faultrows.h"
#include "ecu/scanpass.h"
#include "kwp/kwpprotocol.h"

#include <QDebug>

using Read = KwpSteps::Read;

namespace {
constexpr int kShortAnswer = 6; // items: not even a report
constexpr int kHistoryRow = FaultRows::History;
constexpr int kCurrentRow = FaultRows::Current;
constexpr int kFaultRowBase =
    FaultRows::History - 1; // row 61 shows the count as sent, row 62 half of it
} // namespace

KwpCycle::KwpCycle(int pulseMs, const QList<QString> &faultTexts, const ItemWalk &shown)
    : PollingCycle(shown), faultTexts_(faultTexts),
      login_(KwpProtocol::LoginSequence, int(std::size(KwpProtocol::LoginSequence)), "read",
             pulseMs)
{
}

Step KwpCycle::next()
{
    switch (phase_) {
    case Phase::Idle: return begin();
    case Phase::Login: return loginNext();
    case Phase::SearchMove:
        return frame(Phase::SearchMove, KwpFrames::Up, Read::Once, "search cb:");
    case Phase::ScanMove: return frame(Phase::ScanMove, KwpFrames::Up, Read::Answer, nullptr);
    case Phase::PollRead: return frame(Phase::PollRead, plan_.read, Read::Answer, "2:");
    case Phase::SearchHold:
    case Phase::ScanHold:
    case Phase::PollFirst:
    case Phase::Ending: break;
    }
    return endNow(phase_ == Phase::Ending ? endMs_ : KwpProtocol::PollMs);
}

Effects KwpCycle::onReply(const QByteArray &answer)
{
    const KwpReply reply = KwpReply::parse(answer, sent_);
    switch (asked_) {
    case Phase::Login: return loginReply(reply);
    case Phase::SearchHold: return searchReply(reply);
    case Phase::SearchMove: endTick(KwpProtocol::PollMs); return {};
    case Phase::ScanHold: return scanReply(reply);
    case Phase::ScanMove: return scanMoveReply(reply);
    case Phase::PollFirst: return pollFirstReply(reply);
    case Phase::PollRead: return pollReadReply(reply);
    case Phase::Idle:
    case Phase::Ending: break;
    }
    return {};
}

// The login, search and scan states come and go without a session.
void KwpCycle::enter(State state)
{
    sessionMayChange(state_ == State::Polling, state == State::Polling);
    state_ = state;
}

// --- the tick's requests ---

Step KwpCycle::begin()
{
    switch (state_) {
    case State::Login:
        login_.start();
        phase_ = Phase::Login;
        return loginNext();
    case State::Search:
        return frame(Phase::SearchHold, KwpFrames::Hold, Read::Answer, "search ca:");
    case State::Scan: return frame(Phase::ScanHold, KwpFrames::Hold, Read::Answer, "read ca:");
    case State::Polling: return beginPoll();
    }
    return endNow(KwpProtocol::PollMs);
}

Step KwpCycle::frame(Phase phase, const KwpFrame &frame, Read read, const char *logTag)
{
    phase_ = asked_ = phase;
    sent_ = frame;
    return KwpSteps::frame(frame, read, QString::fromLatin1(logTag), logTag != nullptr);
}

Step KwpCycle::endNow(int ms)
{
    phase_ = Phase::Idle;
    return KwpSteps::end(ms);
}

void KwpCycle::endTick(int ms)
{
    phase_ = Phase::Ending;
    endMs_ = ms;
}

void KwpCycle::dropSession(Effects &out, const char *log, Status status, int ms)
{
    qDebug().noquote() << log;
    login_.stop();
    enter(State::Login);
    walk_.clear();
    out.clearTable = true;
    out.status = status;
    endTick(ms);
}

// --- login ---

Step KwpCycle::loginNext()
{
    Step step = login_.next();
    if (step.kind == Step::Kind::Exchange) {
        asked_ = Phase::Login;
        sent_ = login_.sent();
    }
    if (step.kind != Step::Kind::End)
        return step;
    // Every frame answered. The scan builds the table from nothing: rows of
    // an earlier attempt would otherwise stand twice.
    if (state_ == State::Scan) {
        walk_.clear();
        step.effects.clearTable = true;
    }
    phase_ = Phase::Idle;
    step.restartMs = KwpProtocol::PollMs;
    return step;
}

Effects KwpCycle::loginReply(const KwpReply &reply)
{
    Effects out;
    if (!login_.answered(reply)) {
        dropSession(out, "ecu disconnected 0", Status::LostEcu, KwpProtocol::LostMs);
        return out;
    }
    out.ecuNamed = KwpLogin::identity(reply);
    // A value report tells where the ECU's pointer stands: on item 1 (or
    // none) the scan can start, elsewhere item 1 is searched first. A later
    // answer may decide again.
    if (!reply.valueReport())
        return out;
    if (reply.code > 1) {
        qDebug().noquote() << "login xmax 12 success";
        enter(State::Search);
    } else {
        qDebug().noquote() << "login xmax 11 success " + QString::number(reply.code);
        qDebug().noquote() << QString::number(reply.code, 16);
        enter(State::Scan);
    }
    out.status = Status::EngineOn;
    return out;
}

// --- the search for item 1 ---

Effects KwpCycle::searchReply(const KwpReply &reply)
{
    Effects out;
    if (reply.echoOnly) {
        dropSession(out, "ecu disconnected 12", Status::EngineOff, KwpProtocol::LostMs);
        return out;
    }
    if (!reply.valueReport()) {
        endTick(KwpProtocol::PollMs);
        return out;
    }
    walk_.clear();
    out.clearTable = true;
    if (reply.code == 1) {
        qDebug().noquote() << "found tps";
        enter(State::Scan);
        endTick(KwpProtocol::PollMs);
    } else {
        phase_ = Phase::SearchMove;
    }
    return out;
}

// --- the scan ---

Effects KwpCycle::scanReply(const KwpReply &reply)
{
    Effects out;
    if (reply.beyondEcho < 1) {
        dropSession(out, "ecu disconnected 11", Status::EngineOff, KwpProtocol::LostMs);
        return out;
    }
    bool moveOn = false;
    if (reply.hasReport && reply.marker != KwpReply::ValueReport) {
        enter(State::Login);
        qDebug().noquote() << "cmd ca failed";
    } else if (reply.hasReport) {
        moveOn = scanItem(reply.code, out);
    }
    if (moveOn && state_ == State::Scan) {
        walk_.scanMoved();
        phase_ = Phase::ScanMove;
    } else {
        endTick(KwpProtocol::PollMs);
    }
    return out;
}

// The KWP table closes with the two fault-code rows 61 and 62, added as the
// list comes back to item 1 twice. True when the pointer moves on.
bool KwpCycle::scanItem(int code, Effects &out)
{
    qDebug().noquote() << "add table";
    qDebug().noquote() << "code awal " + QString::number(code);
    const ScanPass::Outcome met = ScanPass::met(walk_, code, {kHistoryRow, kCurrentRow}, out);
    if (met.closingRow)
        qDebug().noquote() << "add table DTC xmax " + QString::number(met.row);
    if (code == 1) {
        qDebug().noquote() << "code=" + QString::number(met.complete ? 3 : walk_.scanPass());
        if (met.complete)
            qDebug().noquote() << "add table finished";
    }
    if (met.complete)
        enter(State::Polling);
    return met.moveOn;
}

Effects KwpCycle::scanMoveReply(const KwpReply &reply)
{
    if (reply.hasReport && reply.marker != KwpReply::ValueReport) {
        enter(State::Login);
        qDebug().noquote() << "cmd cb failed";
    }
    endTick(KwpProtocol::PollMs);
    return {};
}

// --- polling ---

KwpCycle::RowKind KwpCycle::rowKind(int row) const
{
    if (row < 0 || row >= walk_.codes().size())
        return RowKind::None;
    if (row < walk_.pointerRows())
        return RowKind::Item;
    const int code = walk_.codeAt(row);
    return code == kHistoryRow   ? RowKind::History
           : code == kCurrentRow ? RowKind::Current
                                 : RowKind::None;
}

Step KwpCycle::beginPoll()
{
    if (walk_.codes().isEmpty()) {
        // Back from the CO window the table is gone: build it again.
        enter(State::Login);
        return endNow(KwpProtocol::PollMs);
    }
    Plan plan;
    plan.kind = rowKind(walk_.selected());
    bool startsRequest = false;
    switch (plan.kind) {
    case RowKind::History:
    case RowKind::Current:
        // Tester-present, or the clear when Action was pressed here, then
        // the row's fault-code request.
        startsRequest = walk_.pressOnSelected();
        plan.first = startsRequest ? KwpFrames::ClearDtc : KwpFrames::TesterPresent;
        plan.hasFirst = true;
        plan.read =
            plan.kind == RowKind::History ? KwpFrames::ReadDtcHistory : KwpFrames::ReadDtcCurrent;
        break;
    case RowKind::Item:
        if (walk_.pointer().row() != walk_.selected()) {
            plan.move = walk_.selected() > walk_.pointer().row() ? 1 : -1;
            plan.first = plan.move > 0 ? KwpFrames::Up : KwpFrames::Down;
            plan.hasFirst = true;
        } else if (walk_.checkMayStart()) {
            startsRequest = true;
            plan.first = KwpFrames::Action;
            plan.hasFirst = true;
        }
        break;
    case RowKind::None: break;
    }
    Step step = plan.hasFirst ? frame(Phase::PollFirst, plan.first, Read::KeepComma, "1:")
                              : frame(Phase::PollRead, plan.read, Read::Answer, "2:");
    if (startsRequest) {
        if (plan.first == KwpFrames::ClearDtc) {
            qDebug().noquote() << "clear dtc...";
            step.effects.faultsCleared = true;
        }
        walk_.dropPress(); // carried out with this frame
    }
    if (plan.move != 0) {
        walk_.pointer().moved(plan.move);
        qDebug().noquote() << (plan.move > 0 ? "up" : "down");
    }
    plan_ = plan;
    moveTaken_ = true;
    return step;
}

Effects KwpCycle::pollFirstReply(const KwpReply &reply)
{
    const bool faultRow = plan_.kind == RowKind::History || plan_.kind == RowKind::Current;
    if (!faultRow)
        qDebug().noquote() << "next/prev";
    // A move the ECU did not answer as taken may or may not have happened:
    // where the pointer stands is known again only from item 1.
    moveTaken_ = plan_.move == 0 || reply.positive;
    phase_ = Phase::PollRead;
    return {};
}

Effects KwpCycle::pollReadReply(const KwpReply &reply)
{
    Effects out;
    endTick(KwpProtocol::PollMs);
    // After a move that may not have happened no report can be placed: an
    // ECU still answering is asked for item 1 again.
    if (!moveTaken_ && reply.size > 1 && !reply.echoOnly) {
        qDebug().noquote() << "move not taken";
        enter(State::Login);
        return out;
    }
    if (reply.echoOnly) {
        dropSession(out, "ecu disconnected 1", Status::EngineOff, KwpProtocol::LostMs);
        return out;
    }
    if (reply.size <= kShortAnswer) {
        out.rpm = 0;
        out.co = 0;
        out.display = true;
        if (reply.size == 1) { // nothing came at all
            enter(State::Login);
            out.status = Status::EngineOff;
        }
        return out;
    }
    out.display = true;
    // Judged against the selection as it is now: a click during the waits
    // has moved it on, and the answer is then for a row no longer chosen.
    const int selected = walk_.selected();
    const RowKind kind = rowKind(selected);
    if (plan_.read != KwpFrames::Hold) {
        // The fault codes count for the row they were asked for only.
        const KwpFrame rowRequest =
            kind == RowKind::History ? KwpFrames::ReadDtcHistory : KwpFrames::ReadDtcCurrent;
        const bool faultRow = kind == RowKind::History || kind == RowKind::Current;
        if (faultRow && reply.faultAnswer && rowRequest == plan_.read) {
            walk_.selectionReached();
            showFaults(reply, out);
        }
        return out;
    }
    if (!reply.valueReport() && !reply.checking())
        return out;
    if (walk_.pointer().reported(reply.code, walk_.codes(), walk_.pointerRows())
        == EcuPointer::Report::Unknown) {
        // A code no row has: the table is not this ECU's list.
        qDebug().noquote() << "table out of step";
        enter(State::Login);
        out.display = false;
        return out;
    }
    if (kind != RowKind::Item || !walk_.pointer().standsOn(selected))
        return out;
    walk_.selectionReached();
    if (reply.valueReport()) {
        out.valueRow = selected;
        out.value = DiagValue::convert(walk_.codeAt(selected), reply.raw);
    }
    out.checking = reply.checking();
    return out;
}

void KwpCycle::showFaults(const KwpReply &reply, Effects &out)
{
    const int row = walk_.selected();
    const int rowCode = walk_.codeAt(row);
    const int divisor = rowCode - kFaultRowBase;
    const int count = divisor > 0 ? reply.faultCount / divisor : 0;
    qDebug().noquote() << "dtc num=" + QString::number(count);
    out.valueRow = row;
    out.value = QString::number(count);
    QString text = rowCode == kHistoryRow ? QStringLiteral("Info: History kode kesalahan:\n")
                                          : QStringLiteral("Info: Daftar kode kesalahan:\n");
    out.faultRow = rowCode;
    out.faults = {true, 0, count, {}};
    // A count beyond what arrived lists the whole records only.
    for (int k = 0; k < count && k < reply.faults.size(); ++k) {
        const KwpReply::FaultCode &fault = reply.faults.at(k);
        const FaultCode listed{QLatin1Char('P') + fault.code, faultTexts_.value(fault.index)};
        text += listed.code + QStringLiteral(": ") + listed.text + QLatin1Char('\n');
        out.faults.codes.append(listed);
    }
    out.info = text;
}
