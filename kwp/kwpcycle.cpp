// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwpcycle.h"

#include "kwp/kwpprotocol.h"
#include "kwp/kwpreply.h"
#include "scanpass.h"

#include <QDebug>

namespace KwpCycle {

namespace {
constexpr int kShortAnswer = 6; // items: not even a report
const char kHistoryRow[] = "61";
const char kCurrentRow[] = "62";

QString frame(const char *text)
{
    return QString::fromLatin1(text);
}
} // namespace

State loginReport(const QStringList &items)
{
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    if (!report.present || report.marker != KwpReply::ValueReport)
        return State::Login;
    if (report.code > 1) {
        qDebug().noquote() << "login xmax 12 success";
        return State::Search;
    }
    qDebug().noquote() << "login xmax 11 success " + QString::number(report.code);
    qDebug().noquote() << items.value(items.size() - 5);
    return State::Scan;
}

void pulseMissed(int &pulseMs)
{
    --pulseMs;
    if (pulseMs < KwpProtocol::ShortestPulseMs)
        pulseMs = KwpProtocol::LongestPulseMs;
    qDebug().noquote() << "login ms= " + QString::number(pulseMs);
}

Search search(const QStringList &items)
{
    if (KwpReply::echoOnly(items, frame(KwpFrames::Hold)))
        return Search::Gone;
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    if (!report.present || report.marker != KwpReply::ValueReport)
        return Search::Nothing;
    if (report.code != 1)
        return Search::MoveOn;
    qDebug().noquote() << "found tps";
    return Search::Found;
}

ScanStep scanItem(int code, int &scanPass, int rows, int moves)
{
    qDebug().noquote() << "add table";
    qDebug().noquote() << "code awal " + QString::number(code);
    ScanStep step;
    step.code = code;
    step.restart = ScanPass::outOfStep(scanPass, rows, moves);
    if (code != 1) {
        step.addRow = scanPass == 1; // items met before item 1 are not listed
        step.moveOn = true;
        return step;
    }
    if (scanPass == 0) {
        step.restart = true;
        step.addRow = true;
        step.moveOn = true;
        scanPass = 1;
    } else {
        // Item 1 again: the fault-code rows, the pointer staying on item 1.
        step.code = 60 + scanPass;
        step.addRow = true;
        step.faultRow = true;
        qDebug().noquote() << "add table DTC xmax " + QString::number(step.code);
        step.finished = scanPass == 2;
        scanPass = step.finished ? 0 : scanPass + 1;
    }
    qDebug().noquote() << "code=" + QString::number(step.finished ? 3 : scanPass);
    if (step.finished)
        qDebug().noquote() << "add table finished";
    return step;
}

RowKind rowKind(int row, int pointerRows, const QList<QString> &codes)
{
    if (row < 0 || row >= codes.size())
        return RowKind::None;
    if (row < pointerRows)
        return RowKind::Item;
    if (codes[row] == QLatin1String(kHistoryRow))
        return RowKind::History;
    if (codes[row] == QLatin1String(kCurrentRow))
        return RowKind::Current;
    return RowKind::None;
}

PollPlan planPoll(const PollView &view, const EcuPointer &pointer)
{
    PollPlan plan;
    switch (view.kind) {
    case RowKind::History:
    case RowKind::Current:
        plan.startsRequest = view.requestMayStart;
        plan.first = frame(plan.startsRequest ? KwpFrames::ClearDtc : KwpFrames::TesterPresent);
        break;
    case RowKind::Item:
        if (pointer.row() != view.selectedRow) {
            plan.move = view.selectedRow > pointer.row() ? 1 : -1;
            plan.first = frame(plan.move > 0 ? KwpFrames::Up : KwpFrames::Down);
        } else if (view.requestMayStart) {
            plan.startsRequest = true;
            plan.first = frame(KwpFrames::Action);
        }
        break;
    case RowKind::None: break;
    }
    plan.read = followUp(plan.first, view.kind);
    return plan;
}

QString followUp(const QString &first, RowKind kind)
{
    // Tester-present and the clear are followed by the row's fault-code
    // request; everything else by the hold routine's report.
    const bool faultRequest = first == QLatin1String(KwpFrames::TesterPresent)
                              || first == QLatin1String(KwpFrames::ClearDtc);
    if (!faultRequest)
        return frame(KwpFrames::Hold);
    return frame(kind == RowKind::History ? KwpFrames::ReadDtcHistory : KwpFrames::ReadDtcCurrent);
}

bool moveTaken(const PollPlan &plan, const QStringList &firstAnswer)
{
    return plan.move == 0 || KwpReply::positiveAnswer(firstAnswer, plan.first);
}

PollVerdict judgePoll(const QString &read, const QStringList &items, EcuPointer &pointer,
                      const QList<QString> &codes, int pointerRows, const PollView &view)
{
    PollVerdict out;
    if (KwpReply::echoOnly(items, read)) {
        out.answer = PollVerdict::Answer::Gone;
        return out;
    }
    if (items.size() <= kShortAnswer) {
        out.answer = items.size() == 1 ? PollVerdict::Answer::Nothing : PollVerdict::Answer::Short;
        return out;
    }
    if (read != QLatin1String(KwpFrames::Hold)) {
        // The fault codes count for the row they were asked for only.
        const bool faultRow = view.kind == RowKind::History || view.kind == RowKind::Current;
        out.listFaults = faultRow && KwpReply::isDtcAnswer(items)
                         && followUp(frame(KwpFrames::TesterPresent), view.kind) == read;
        out.selectionReached = out.listFaults;
        return out;
    }
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    if (report.marker != KwpReply::ValueReport && report.marker != KwpReply::Checking)
        return out;
    if (pointer.reported(report.code, codes, pointerRows) == EcuPointer::Report::Unknown) {
        out.outOfStep = true;
        return out;
    }
    if (view.kind != RowKind::Item || !pointer.standsOn(view.selectedRow))
        return out;
    out.selectionReached = true;
    out.setCheckLabel = true;
    out.checking = report.marker == KwpReply::Checking;
    out.writeValue = report.marker == KwpReply::ValueReport;
    out.raw = report.raw;
    return out;
}

} // namespace KwpCycle
