// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP polling state: follow the selected row, show its value, run the
// actuator check and read and clear the fault codes of rows 61 and 62.
#include "mainwindow.h"
#include "tick.h"
#include "ui_mainwindow.h"

#include "kwp/kwpcycle.h"
#include "kwp/kwpframes.h"
#include "kwp/kwpreply.h"
#include "pacing.h"

#include <QDebug>
#include <QTimer>

using KwpCycle::RowKind;

namespace {
bool isFaultKind(RowKind kind)
{
    return kind == RowKind::History || kind == RowKind::Current;
}
} // namespace

void MainWindow::kwpPoll(const Tick &tick)
{
    if (rowCodes.isEmpty()) {
        // Back from the CO window the table is gone: build it again.
        setSessionState(0);
        pollTimer->start(Pacing::KwpPollMs);
        return;
    }
    KwpCycle::PollView view;
    view.selectedRow = selectedRow;
    view.kind = KwpCycle::rowKind(selectedRow, pointerRows, rowCodes);
    view.requestMayStart = isFaultKind(view.kind)
                               ? action.mayStartOnRow(selectedRow, sessionSerial)
                               : action.mayStart(pointer, selectedRow, sessionSerial);
    const KwpCycle::PollPlan plan = KwpCycle::planPoll(view, pointer);
    currentCmd = plan.first.isEmpty() ? cmdHold : plan.first;
    if (isFaultKind(view.kind))
        queuedCmd = plan.read;
    if (plan.startsRequest) {
        if (plan.first == cmdClearDtc)
            qDebug().noquote() << "clear dtc...";
        dropAction(); // carried out with this frame
    }
    if (plan.move != 0) {
        pointer.moved(plan.move);
        qDebug().noquote() << (plan.move > 0 ? "up" : "down");
    }
    bool moveTaken = true;
    if (!plan.first.isEmpty()) {
        journal.kwpRequestSent(plan.first);
        const QString reply = kwpExchange(plan.first, false);
        if (tick.overtaken())
            return;
        qDebug().noquote() << "1:" + reply;
        if (!isFaultKind(view.kind))
            qDebug().noquote() << "next/prev";
        moveTaken = KwpCycle::moveTaken(plan, KwpReply::items(reply));
    }
    currentCmd = plan.read;
    const QString reply = kwpExchange(plan.read);
    if (tick.overtaken())
        return;
    qDebug().noquote() << "2:" + reply;
    const QStringList items = KwpReply::items(reply);
    // After a move that may not have happened no report can be placed: an
    // ECU still answering is asked for item 1 again.
    if (!moveTaken && items.size() > 1 && !KwpReply::echoOnly(items, plan.read)) {
        qDebug().noquote() << "move not taken";
        setSessionState(0);
        pollTimer->start(Pacing::KwpPollMs);
        return;
    }
    kwpShowPollAnswer(plan.read, items);
}

void MainWindow::kwpShowPollAnswer(const QString &sent, const QStringList &items)
{
    // Judged against the selection as it is now: a click during the waits
    // has moved it on, and the answer is then for a row no longer chosen.
    KwpCycle::PollView view;
    view.selectedRow = selectedRow;
    view.kind = KwpCycle::rowKind(selectedRow, pointerRows, rowCodes);
    const KwpCycle::PollVerdict verdict =
        KwpCycle::judgePoll(sent, items, pointer, rowCodes, pointerRows, view);
    using Answer = KwpCycle::PollVerdict::Answer;
    if (verdict.answer == Answer::Gone)
        return kwpDropSession("ecu disconnected 1", "Connected-Engine Off", Pacing::KwpLostMs);
    if (verdict.answer != Answer::Full) {
        rpm = coValue = 0;
        setDisplay();
        if (verdict.answer == Answer::Nothing) {
            setSessionState(0);
            ui->statusBar->showMessage("Connected-Engine Off");
        }
    } else if (verdict.outOfStep) {
        qDebug().noquote() << "table out of step";
        setSessionState(0);
    } else {
        if (verdict.selectionReached && selectionPending)
            dropSelection();
        if (verdict.writeValue)
            writeValue(selectedRow, convertdiagval(rowCode(selectedRow), verdict.raw));
        if (verdict.setCheckLabel)
            ui->label_check->setEnabled(verdict.checking);
        if (verdict.listFaults)
            kwpShowFaultCodes(items);
        setDisplay();
    }
    pollTimer->start(Pacing::KwpPollMs);
}

void MainWindow::kwpShowFaultCodes(const QStringList &items)
{
    const int code = rowCode(selectedRow).toInt();
    const int count = KwpReply::dtcCount(items, code);
    qDebug().noquote() << "dtc num=" + QString::number(count);
    writeValue(selectedRow, QString::number(count));
    ui->label_info->setText(KwpReply::dtcListing(items, code, count, errorList));
    journal.kwpFaultsRead(code, count, items, errorList);
}
