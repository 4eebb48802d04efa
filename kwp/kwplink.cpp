// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP steps shared by the polling and the CO cycle: the exchange, the
// wake-up and login, and the end of a session.
#include "mainwindow.h"
#include "tick.h"
#include "ui_mainwindow.h"

#include "kwp/kwpcocycle.h"
#include "kwp/kwpcycle.h"
#include "kwp/kwpprotocol.h"
#include "kwp/kwpreply.h"
#include "link/usbserial.h"
#include "pacing.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QTimer>

QString MainWindow::kwpExchange(const QString &cmd, bool dropComma)
{
    link->writeDataStr(cmd);
    delay(KwpProtocol::AnswerWaitMs);
    QString reply = link->readDataHex();
    if (reply.isEmpty()) {
        delay(KwpProtocol::SecondReadMs);
        reply = link->readDataHex();
    }
    if (dropComma && reply.endsWith(QLatin1Char(',')))
        reply.chop(1);
    return reply;
}

void MainWindow::kwpDropSession(const QString &logText, const QString &status, int ms)
{
    qDebug().noquote() << logText;
    pollTimer->start(ms);
    setSessionState(0);
    scanPass = 0;
    ui->statusBar->showMessage(status);
    clear_table();
}

// Wakes the ECU with a DTR pulse of `pulseMs` at the KWP line speed; false
// when the tick was overtaken meanwhile.
bool MainWindow::kwpWakeUp(const Tick &tick, int &pulseMs)
{
    ui->statusBar->showMessage("Connecting...");
    delay(KwpProtocol::BeforeLoginMs);
    if (tick.overtaken())
        return false;
    link->setBaud(KwpProtocol::Baud);
    kwpLineSlow = true;
    qDebug().noquote() << "login xmax";
    QElapsedTimer clock;
    clock.start();
    link->writeDataBit(0);
    delay_login(pulseMs);
    link->writeDataBit(1);
    const double elapsedMs = clock.nsecsElapsed() / 1e6;
    qDebug().noquote() << "timer delay= " + QString::number(elapsedMs, 'g', 6);
    delay(KwpProtocol::AfterPulseMs);
    if (tick.overtaken())
        return false;
    link->readDataHex(); // whatever the pulse left on the line
    return true;
}

// The login of both cycles: the wake-up, then `frames` one by one. The
// polling cycle learns from the answers where the ECU's pointer stands; the
// CO cycle stops at the first answer in CO mode. False when the tick has
// ended (no answer, CO mode reached, or overtaken).
bool MainWindow::kwpLoginSequence(const Tick &tick, const QStringList &frames,
                                  const QString &logTag, int &pulseMs, bool co)
{
    if (!kwpWakeUp(tick, pulseMs))
        return false;
    for (int i = 0; i < frames.size(); ++i) {
        const QString reply = kwpExchange(frames[i]);
        if (tick.overtaken())
            return false;
        qDebug().noquote() << logTag + QString::number(i) + ": " + reply;
        journal.kwpLoginAnswer(frames[i], reply);
        const QStringList items = KwpReply::items(reply);
        const int sum = KwpReply::sumcmd(items, frames[i]);
        qDebug().noquote() << "sumcmd " + QString::number(sum);
        if (sum < 1) {
            if (i == 0)
                KwpCycle::pulseMissed(pulseMs);
            kwpDropSession("ecu disconnected 0", "Connecting......", Pacing::KwpLostMs);
            return false;
        }
        // A login frame the ECU did not take leaves it somewhere the rest of
        // the sequence was not made for; the CO sequence's action frames
        // would then check whatever item it stands on.
        if (!KwpReply::positiveAnswer(items, frames[i])) {
            qDebug().noquote() << "login refused";
            kwpDropSession("ecu disconnected 0", "Connecting......", Pacing::KwpLostMs);
            return false;
        }
        if (co && KwpCoCycle::reportsInCoMode(items)) {
            qDebug().noquote() << "found rpm";
            setSessionState(1);
            pollTimer->start(Pacing::KwpPollMs);
            ui->statusBar->showMessage("Connected-Engine On");
            return false;
        }
        const KwpCycle::State state = co ? KwpCycle::State::Login : KwpCycle::loginReport(items);
        if (state != KwpCycle::State::Login) {
            setSessionState(int(state));
            ui->statusBar->showMessage("Connected-Engine On");
        }
    }
    return true;
}
