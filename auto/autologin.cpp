// SPDX-License-Identifier: GPL-3.0-or-later
// The Auto polling slot, and its login half: identification, the login keys
// and the scan that builds the item table.
#include "mainwindow.h"
#include "tick.h"
#include "ui_mainwindow.h"

#include "auto/autocycle.h"
#include "link/usbserial.h"
#include "protocolcounters.h"

#include <QDebug>

using namespace AutoProtocol;

void MainWindow::send_clicked()
{
    Tick tick(busy.autoCycle, cycleEpoch, running);
    if (!tick.entered())
        return;
    if (sessionState == 0)
        autoLoginTick(tick);
    else
        autoSessionTick(tick);
}

QString MainWindow::autoExchange(std::uint8_t key, int waitMs)
{
    unsigned char byte = key;
    link->writeDataHex(&byte);
    delay(waitMs);
    const QString reply = link->readDataHex();
    return reply.isEmpty() ? link->readDataHex() : reply;
}

void MainWindow::autoLoginTick(const Tick &tick)
{
    int &step = protocolCounters().loginStep;
    const AutoCycle::LoginKey key = AutoCycle::loginKey(step);
    if (key.engineOn)
        ui->statusBar->showMessage("Connected-Engine On");
    if (key.scanMove)
        ++scanMoves;
    const QString reply = autoExchange(key.key, LoginWaitMs);
    if (tick.overtaken())
        return;
    qDebug().noquote() << "diag:" + reply;
    journal.autoLoginAnswer(key.key, reply);
    const AutoCycle::LoginReading reading =
        AutoCycle::readLogin(key.key, step, expectedReply, replyFields(reply));
    if (reading.tooShort) {
        // Identification starts over: the "Engine On" of the scan no longer holds.
        if (ui->statusBar->currentMessage() == QLatin1String("Connected-Engine On"))
            ui->statusBar->showMessage("Connected-Engine Off");
        setSessionState(0);
        return;
    }
    if (reading.newTable)
        clear_table();
    if (reading.announced)
        autoAnnounce(reading.code);
}

void MainWindow::autoAnnounce(int code)
{
    const AutoCycle::ScanStep scan = AutoCycle::scanItem(code, scanPass, pointerRows, scanMoves);
    if (scan.restart) {
        const int pass = scanPass;
        clear_table();
        scanPass = pass;
    }
    if (scan.addRow)
        appendItemRow(code);
    if (scan.sessionUp) {
        // Back on item 1: the first row, which the ECU has just shown.
        pointer.startOnFirstRow();
        nextCommand = Hold;
        setSessionState(1);
    }
}
