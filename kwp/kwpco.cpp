// The KWP CO cycle: its own wake-up and login, then the engine speed.
#include "mainwindow.h"
#include "tickguard.h"
#include "ui_mainwindow.h"

#include "kwp/kwpframes.h"
#include "kwp/kwpreply.h"
#include "link/usbserial.h"
#include "protocolcounters.h"

#include <QDebug>
#include <QTimer>

namespace {
constexpr int kPollMs = 110;
constexpr int kLostMs = 1000;
constexpr int kBeforeLoginMs = 500;
constexpr int kAfterPulseMs = 25;
constexpr int kLoginReportItems = 14;   // more than this may carry a CO report
constexpr int kCoMarkerAt = 12;
constexpr int kFullReportItems = 16;    // more than this carries the speed

const char *const kCoLoginSequence[] = {
    KwpFrames::StartComm,    KwpFrames::StartSession, KwpFrames::ReadLocalIdFE,
    KwpFrames::StartSession, KwpFrames::RoutineCE20,  KwpFrames::Hold,
    KwpFrames::Up,           KwpFrames::Hold,         KwpFrames::Action,
    KwpFrames::Hold,         KwpFrames::Up,           KwpFrames::Hold,
    KwpFrames::Up,           KwpFrames::Hold,         KwpFrames::Action,
    KwpFrames::Hold,
};
} // namespace

void MainWindow::co_send_clicked_xmax()
{
    TickGuard guard(busy.kwpCo);
    if (!guard.entered())
        return;
    if (!link->isConnected()) {
        qDebug().noquote() << "usb not connect";
        return;
    }
    pollTimer->stop();
    // The cylinder box means nothing here: carry on as before the request.
    if (sessionState == 2 || sessionState == 3)
        sessionState = kwpResumeState;
    if (sessionState == 0)
        kwpCoLogin();
    else if (sessionState == 1)
        kwpCoRead();
    else
        kwpRestartPoll(kPollMs);
    if (sessionState == 0 || sessionState == 1)
        kwpResumeState = sessionState;
}

void MainWindow::kwpCoLogin()
{
    ui->statusBar->showMessage("Connecting...");
    delay(kBeforeLoginMs);
    if (kwpAbandoned())
        return kwpAbandonTick();
    kwpWakeUp(protocolCounters().loginPulseMsCo);
    delay(kAfterPulseMs);
    if (kwpAbandoned())
        return kwpAbandonTick();
    link->readDataHex();   // whatever the pulse left on the line

    int i = 0;
    for (const char *frame : kCoLoginSequence) {
        if (!kwpCoLoginEntry(i++, QString::fromLatin1(frame)))
            return;
    }
    kwpRestartPoll(kPollMs);
}

// One CO login frame; false when the tick has ended (no answer, or the ECU
// already reports in CO mode).
bool MainWindow::kwpCoLoginEntry(int i, const QString &cmd)
{
    const QString reply = kwpExchange(cmd);
    if (kwpAbandoned()) {
        kwpAbandonTick();
        return false;
    }
    qDebug().noquote() << "read co" + QString::number(i) + ": " + reply;
    const QStringList items = KwpReply::items(reply);
    const int sum = KwpReply::sumcmd(items, cmd);
    qDebug().noquote() << "sumcmd " + QString::number(sum);
    if (sum < 1) {
        if (i == 0)
            kwpPulseMissed(protocolCounters().loginPulseMsCo);
        kwpDropSession("ecu disconnected 0", "Connecting......", kLostMs);
        return false;
    }
    if (items.size() <= kLoginReportItems ||
        KwpReply::hexAt(items, kCoMarkerAt) != KwpReply::CoReport)
        return true;
    qDebug().noquote() << "found rpm";
    sessionState = 1;
    kwpRestartPoll(kPollMs);
    ui->statusBar->showMessage("Connected-Engine On");
    return false;
}

void MainWindow::kwpCoRead()
{
    const QString reply = kwpExchange(cmdHold);
    if (kwpAbandoned())
        return kwpAbandonTick();
    qDebug().noquote() << "read co rpm: " + reply;
    const QStringList items = KwpReply::items(reply);
    const int sum = KwpReply::sumcmd(items, cmdHold);
    qDebug().noquote() << "sumcmd " + QString::number(sum);
    if (sum < 1)
        return kwpDropSession("ecu disconnected 0", "Connecting......", kLostMs);
    if (items.size() <= kFullReportItems) {
        ui->statusBar->showMessage("Connected-Engine Off");
        rpm = 0;
        setDisplay();
    } else if (KwpReply::coRpm(items) >= 0) {
        rpm = KwpReply::coRpm(items);
        qDebug().noquote() << "rpm: " + QString::number(rpm);
        // The engine reports again after a short answer had said "Off".
        ui->statusBar->showMessage("Connected-Engine On");
        setDisplay();
    }
    kwpRestartPoll(kPollMs);
}
