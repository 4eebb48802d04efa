// The KWP polling state: follow the selected row, show its value, run the
// actuator check and read the fault codes of rows 61 and 62.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "kwp/kwpreply.h"

#include <QDebug>
#include <QTableWidgetItem>

namespace {
constexpr int kPollMs = 110;
constexpr int kLostMs = 1000;
constexpr int kShortAnswer = 6;   // items: not even a whole echo
constexpr int kColAction = 0;
constexpr int kColCode = 1;
constexpr int kColValue = 3;
} // namespace

void MainWindow::kwpPoll()
{
    if (rowCodes.isEmpty()) {
        // Back from the CO window the table is gone: build it again.
        sessionState = 0;
        return kwpRestartPoll(kPollMs);
    }
    if (currentCmd.isEmpty())
        currentCmd = cmdHold;
    kwpTakeAction();
    if (!kwpPollFirstSend())
        return;
    const QString sent = currentCmd;
    const QString reply = kwpExchange(sent);
    if (kwpAbandoned())
        return kwpAbandonTick();
    qDebug().noquote() << "2:" + reply;
    const QStringList items = KwpReply::items(reply);
    if (KwpReply::echoOnly(items, sent))
        return kwpDropSession("ecu disconnected 1", "Connected-Engine Off", kLostMs);
    if (items.size() <= kShortAnswer)
        return kwpPollShortAnswer(items.size() == 1);
    kwpResyncPointer();
    if (selectedRow == ecuRow)
        kwpShowReport(items);
    kwpPointerStep();
    setDisplay();
    kwpRestartPoll(kPollMs);
}

// Too short for a report; nothing at all means the session is gone, and
// the next tick logs in again without a pause.
void MainWindow::kwpPollShortAnswer(bool nothing)
{
    rpm = coValue = 0;
    setDisplay();
    if (nothing) {
        sessionState = 0;
        ui->statusBar->showMessage("Connected-Engine Off");
        restoreWaitCursors();
    }
    kwpRestartPoll(kPollMs);
}

bool MainWindow::kwpOnFaultRow(int row) const
{
    const QString code = rowCode(row);
    return code == QLatin1String("61") || code == QLatin1String("62");
}

// The check concerns the selected row, so it waits until the pointer is
// really there (a move decided but not yet sent does not count).
void MainWindow::kwpTakeAction()
{
    if (actionStep < 1)
        return;
    const QTableWidgetItem *mark = ui->tableWidget->item(selectedRow, kColAction);
    if (!mark || mark->text() != QLatin1String("A")) {
        // The user moved on to a row that offers no check: drop the request.
        actionStep = 0;
        popWaitCursor(actionCursor);
        return;
    }
    if (selectedRow != ecuRow || (!kwpOnFaultRow(ecuRow) && ecuRow != kwpPointerRow))
        return;
    if (currentCmd == cmdTesterPresent) {
        currentCmd = cmdClearDtc;
        qDebug().noquote() << "clear dtc...";
    } else {
        currentCmd = cmdAction;
    }
    actionStep = 0;
    popWaitCursor(actionCursor);
}

// The movement, action, tester-present or clear frame due this tick; false
// when the tick has ended.
bool MainWindow::kwpPollFirstSend()
{
    if (currentCmd == cmdHold)
        return true;
    const QString sent = currentCmd;
    const QString reply = kwpExchange(sent, false);
    if (kwpAbandoned()) {
        kwpAbandonTick();
        return false;
    }
    qDebug().noquote() << "1:" + reply;
    if (sent == cmdUp)
        ++kwpPointerRow;
    else if (sent == cmdDown)
        --kwpPointerRow;
    if (sent == cmdTesterPresent || sent == queuedCmd || sent == cmdClearDtc) {
        currentCmd = queuedCmd;
    } else {
        qDebug().noquote() << "next/prev";
        currentCmd = cmdHold;
    }
    return true;
}

// ecuRow is where the cycle believes the pointer is. A fault-code row only
// stands for its listing, and a click in the middle of a walk books a row the
// pointer never reached; either way go on from where the pointer really is.
void MainWindow::kwpResyncPointer()
{
    if (kwpOnFaultRow(ecuRow) && selectedRow == ecuRow)
        return;
    if (!kwpOnFaultRow(ecuRow) && ecuRow == kwpPointerRow)
        return;
    qDebug().noquote() << "tblrow " + QString::number(kwpPointerRow) + ":" +
                              QString::number(selectedRow);
    ecuRow = kwpPointerRow;
}

void MainWindow::kwpShowReport(const QStringList &items)
{
    if (selectionPending) {
        popWaitCursor(selectionCursor);
        selectionPending = false;
    }
    if (KwpReply::isDtcAnswer(items)) {
        if (kwpOnFaultRow(selectedRow))
            kwpShowFaultCodes(items);
        return;   // its bytes are codes, not item markers
    }
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    if (report.marker == KwpReply::ValueReport) {
        kwpShowValue(items);
        ui->label_check->setEnabled(false);
    } else if (report.marker == KwpReply::Checking) {
        ui->label_check->setEnabled(true);
    }
}

// Written only when the ECU itself reports the selected row's item.
void MainWindow::kwpShowValue(const QStringList &items)
{
    const QString code = rowCode(selectedRow);
    const QTableWidgetItem *shown = ui->tableWidget->item(selectedRow, kColCode);
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    if (code.isEmpty() || !shown || shown->text().toInt() != report.code)
        return;
    ui->tableWidget->setItem(selectedRow, kColValue,
                             new QTableWidgetItem(convertdiagval(code, report.raw)));
}

void MainWindow::kwpShowFaultCodes(const QStringList &items)
{
    const int code = rowCode(selectedRow).toInt();
    const int count = KwpReply::dtcCount(items, code);
    qDebug().noquote() << "dtc num=" + QString::number(count);
    ui->tableWidget->setItem(selectedRow, kColValue, new QTableWidgetItem(QString::number(count)));
    ui->label_info->setText(KwpReply::dtcListing(items, code, count, errorList));
}

void MainWindow::kwpPointerStep()
{
    if (selectedRow == ecuRow) {
        if (currentCmd != cmdAction && currentCmd != queuedCmd && currentCmd != cmdTesterPresent)
            currentCmd = cmdHold;
        else if (currentCmd == queuedCmd)
            currentCmd = cmdTesterPresent;
        return;
    }
    const QString code = rowCode(selectedRow);
    if (kwpOnFaultRow(selectedRow)) {
        currentCmd = cmdTesterPresent;
        queuedCmd = code == QLatin1String("61") ? cmdReadDtcHistory : cmdReadDtcCurrent;
        ecuRow = selectedRow;
    } else if (code.isEmpty()) {
        currentCmd = cmdHold;   // no such row: nowhere to go
    } else if (selectedRow > ecuRow) {
        currentCmd = cmdUp;
        ++ecuRow;
        qDebug().noquote() << "up";
    } else {
        currentCmd = cmdDown;
        --ecuRow;
        qDebug().noquote() << "down";
    }
}
