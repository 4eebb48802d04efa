// SPDX-License-Identifier: GPL-3.0-or-later
// The session half of the Auto cycle: following the selected row, values,
// actuator checks.
#include "mainwindow.h"
#include "tick.h"
#include "ui_mainwindow.h"

#include "auto/autocycle.h"
#include "cowindow.h"
#include "protocolcounters.h"

#include <QDebug>

using namespace AutoProtocol;

namespace {
const char kHistoryHeading[] = "Info: History kode kesalahan";
const char kFaultHistoryItem[] = "61";
const char kIscItem[] = "67";
} // namespace

void MainWindow::autoSessionTick(const Tick &tick)
{
    if (rowCodes.isEmpty()) {
        // Nothing to follow (the CO window emptied the table): log in anew
        // so that the table is built again.
        setSessionState(0);
        protocolCounters().loginStep = 0;
        ui->statusBar->showMessage("Connected-Engine Off");
        autoLoginTick(tick);
        return;
    }
    const std::uint8_t key = autoSessionKey();
    const QString reply = autoExchange(key, SessionWaitMs);
    if (tick.overtaken())
        return;
    qDebug().noquote() << reply;
    autoSessionReply(replyFields(reply));
}

std::uint8_t MainWindow::autoSessionKey()
{
    AutoCycle::SessionView view;
    view.selectedRow = selectedRow;
    view.rows = pointerRows;
    view.nextCommand = nextCommand;
    view.checkRunning = action.running();
    view.checkMayStart = action.mayStart(pointer, selectedRow, sessionSerial);
    view.iscCheck = rowCode(action.row()) == QLatin1String(kIscItem);
    const AutoCycle::SessionKey key = AutoCycle::sessionKey(view, pointer, actionStep);
    if (key.checkStarts)
        action.start();
    journal.checkKeySent(rowCode(action.row()), key.checkEnds);
    if (key.checkEnds)
        dropAction();
    if (key.move != 0) {
        pointer.moved(key.move);
        qDebug().noquote() << (key.move > 0 ? "up" : "down");
    }
    return key.key;
}

void MainWindow::autoSessionReply(const QStringList &fields)
{
    AutoCycle::SessionView view;
    view.selectedRow = selectedRow;
    view.rows = pointerRows;
    const QString checkCode = action.running() ? rowCode(action.row()) : QString();
    const AutoCycle::SessionVerdict verdict =
        AutoCycle::judgeSession(fields, pointer, rowCodes, view, checkCode);
    if (verdict.malformed) {
        rpm = 0;
        coValue = 0;
        if (sessionState == 1)
            coWindow->setDisplay(0, 0);
    }
    if (verdict.lost || verdict.outOfStep) {
        if (verdict.outOfStep)
            qDebug().noquote() << "table out of step";
        autoSessionEnds();
        return;
    }
    if (verdict.abortCheck)
        dropAction();
    if (verdict.selectionReached && selectionPending)
        dropSelection();
    if (verdict.writeValue)
        autoShowValue(verdict.raw);
    if (verdict.setCheckLabel)
        ui->label_check->setEnabled(verdict.checking);
    if (!verdict.malformed)
        nextCommand = verdict.nextCommand;
    if (!verdict.malformed && sessionState == 1)
        coWindow->setDisplay(rpm, coValue);
}

void MainWindow::autoSessionEnds()
{
    setSessionState(0);
    ui->statusBar->showMessage("Connected-Engine Off");
}

void MainWindow::autoShowValue(const QString &raw)
{
    const QString code = rowCode(selectedRow);
    if (code.isEmpty())
        return;
    const QString value = convertdiagval(code, raw);
    writeValue(selectedRow, value);
    if (code != QLatin1String(kFaultHistoryItem))
        return;
    const int fault = value.toInt();
    const QString text = fault >= 0 && fault < FaultSlots ? errorList.value(fault) : QString();
    ui->label_info->setText(text.isEmpty() ? QString(kHistoryHeading)
                                           : QString(kHistoryHeading) + "\n" + text);
    journal.autoHistoryRead(fault, text);
}
