// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP CO cycle: its own wake-up and login, then the engine speed.
#include "mainwindow.h"
#include "tick.h"
#include "ui_mainwindow.h"

#include "kwp/kwpcocycle.h"
#include "kwp/kwpprotocol.h"
#include "kwp/kwpreply.h"
#include "link/usbserial.h"
#include "pacing.h"
#include "protocolcounters.h"

#include <QDebug>
#include <QTimer>

void MainWindow::co_send_clicked_xmax()
{
    Tick tick(busy.kwpCo, cycleEpoch, running);
    if (!tick.entered())
        return;
    if (!link->isConnected()) {
        qDebug().noquote() << "usb not connect";
        return;
    }
    pollTimer->stop();
    if (sessionState == 0) {
        QStringList frames;
        for (const char *frame : KwpProtocol::CoLoginSequence)
            frames << QString::fromLatin1(frame);
        if (kwpLoginSequence(tick, frames, "read co", protocolCounters().loginPulseMsCo, true))
            pollTimer->start(Pacing::KwpPollMs);
    } else if (sessionState == 1) {
        kwpCoRead(tick);
    } else {
        pollTimer->start(Pacing::KwpPollMs);
    }
}

void MainWindow::kwpCoRead(const Tick &tick)
{
    if (!coKeys.isEmpty()) {
        // The key byte goes out alone, its echo read away before the
        // reading, whose answer positions count from the start.
        unsigned char key = coKeys.takeFirst();
        link->writeDataHex(&key);
        delay(KwpProtocol::KeyPauseMs);
        if (tick.overtaken())
            return;
        link->readDataHex();
    }
    const QString reply = kwpExchange(cmdHold);
    if (tick.overtaken())
        return;
    qDebug().noquote() << "read co rpm: " + reply;
    const QStringList items = KwpReply::items(reply);
    qDebug().noquote() << "sumcmd " + QString::number(KwpReply::sumcmd(items, cmdHold));
    const KwpCoCycle::Reading reading = KwpCoCycle::read(items);
    if (reading.lost)
        return kwpDropSession("ecu disconnected 0", "Connecting......", Pacing::KwpLostMs);
    if (reading.engineOff) {
        ui->statusBar->showMessage("Connected-Engine Off");
        rpm = 0;
        setDisplay();
    } else if (reading.rpm >= 0) {
        rpm = reading.rpm;
        qDebug().noquote() << "rpm: " + QString::number(rpm);
        // The engine reports again after a short answer had said "Off".
        ui->statusBar->showMessage("Connected-Engine On");
        setDisplay();
    }
    pollTimer->start(Pacing::KwpPollMs);
}
