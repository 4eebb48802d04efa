// The KWP family's polling cycle: wake-up and login, the search for item 1
// and the table scan. The polling state itself is in kwppolling.cpp.
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
constexpr int kSearchUpWaitMs = 100;

const char *const kLoginSequence[] = {
    KwpFrames::StartComm,     KwpFrames::StartSession, KwpFrames::ReadLocalIdFE,
    KwpFrames::StartSession,  KwpFrames::RoutineCE20,  KwpFrames::Hold,
    KwpFrames::Action,        KwpFrames::Hold,
};
} // namespace

void MainWindow::send_clicked_xmax()
{
    TickGuard guard(busy.kwpCycle);
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
    switch (sessionState) {
    case 0: kwpLogin(); break;
    case 12: kwpSearch(); break;
    case 11: kwpScan(); break;
    case 1: kwpPoll(); break;
    default: kwpRestartPoll(kPollMs); break;
    }
    if (sessionState == 0 || sessionState == 1)
        kwpResumeState = sessionState;
}

void MainWindow::kwpLogin()
{
    ui->statusBar->showMessage("Connecting...");
    delay(kBeforeLoginMs);
    if (kwpAbandoned())
        return kwpAbandonTick();
    kwpWakeUp(protocolCounters().loginPulseMs);
    delay(kAfterPulseMs);
    if (kwpAbandoned())
        return kwpAbandonTick();
    link->readDataHex();   // whatever the pulse left on the line

    int i = 0;
    for (const char *cmd : kLoginSequence) {
        if (!kwpLoginEntry(i++, QString::fromLatin1(cmd)))
            return;
    }
    if (sessionState == 11)
        kwpStartScan();
    kwpRestartPoll(kPollMs);
}

// One login frame; false when the tick has ended.
bool MainWindow::kwpLoginEntry(int i, const QString &cmd)
{
    const QString reply = kwpExchange(cmd);
    if (kwpAbandoned()) {
        kwpAbandonTick();
        return false;
    }
    qDebug().noquote() << "read" + QString::number(i) + ": " + reply;
    const QStringList items = KwpReply::items(reply);
    const int sum = KwpReply::sumcmd(items, cmd);
    qDebug().noquote() << "sumcmd " + QString::number(sum);
    if (sum < 1) {
        if (i == 0)
            kwpPulseMissed(protocolCounters().loginPulseMs);
        kwpDropSession("ecu disconnected 0", "Connecting......", kLostMs);
        return false;
    }
    kwpLoginReport(items);
    return true;
}

// A value report during the login: the session is up, and the item the
// pointer stands on decides between the search and the scan.
void MainWindow::kwpLoginReport(const QStringList &items)
{
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    if (!report.present || report.marker != KwpReply::ValueReport)
        return;
    if (report.code > 1) {
        qDebug().noquote() << "login xmax 12 success";
        sessionState = 12;
    } else {
        qDebug().noquote() << "login xmax 11 success " + QString::number(report.code);
        qDebug().noquote() << items.value(items.size() - 5);
        sessionState = 11;
    }
    ui->statusBar->showMessage("Connected-Engine On");
}

void MainWindow::kwpSearch()
{
    const QString reply = kwpExchange(cmdHold);
    if (kwpAbandoned())
        return kwpAbandonTick();
    qDebug().noquote() << "search ca:" + reply;
    const QStringList items = KwpReply::items(reply);
    if (KwpReply::echoOnly(items, cmdHold))
        return kwpDropSession("ecu disconnected 12", "Connected-Engine Off", kLostMs);
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    if (report.present && report.marker == KwpReply::ValueReport) {
        clear_table();
        if (report.code == 1) {
            qDebug().noquote() << "found tps";
            sessionState = 11;
            kwpStartScan();
        } else {
            link->writeDataStr(cmdUp);
            delay(kSearchUpWaitMs);
            if (kwpAbandoned())
                return kwpAbandonTick();
            qDebug().noquote() << "search cb:" + link->readDataHex();
        }
    }
    kwpRestartPoll(kPollMs);
}

// The scan builds the table from nothing: rows left over from an earlier
// attempt would otherwise be listed twice.
void MainWindow::kwpStartScan()
{
    clear_table();
    rowCodes.clear();
    selectedRow = 0;
    ecuRow = 0;
    scanPass = 0;
    kwpPointerRow = 0;
}

void MainWindow::kwpScan()
{
    const QString reply = kwpExchange(cmdHold);
    if (kwpAbandoned())
        return kwpAbandonTick();
    qDebug().noquote() << "read ca:" + reply;
    const QStringList items = KwpReply::items(reply);
    if (KwpReply::sumcmd(items, cmdHold) < 1)
        return kwpDropSession("ecu disconnected 11", "Connected-Engine Off", kLostMs);
    const KwpReply::ItemReport report = KwpReply::itemReport(items);
    if (report.present && report.marker != KwpReply::ValueReport) {
        sessionState = 0;
        qDebug().noquote() << "cmd ca failed";
    } else if (report.present) {
        kwpScanRow(report.code);
    }
    if (sessionState == 11 && scanPass < 2) {
        const KwpReply::ItemReport moved = KwpReply::itemReport(KwpReply::items(kwpExchange(cmdUp)));
        if (kwpAbandoned())
            return kwpAbandonTick();
        if (moved.present && moved.marker != KwpReply::ValueReport) {
            sessionState = 0;
            qDebug().noquote() << "cmd cb failed";
        }
    }
    kwpRestartPoll(kPollMs);
}

// One reported item of the scan. Item 1 coming round again adds the two
// fault-code rows and then ends the scan.
void MainWindow::kwpScanRow(int code)
{
    qDebug().noquote() << "add table";
    qDebug().noquote() << "code awal " + QString::number(code);
    if (code == 1) {
        if (scanPass == 1 || scanPass == 2) {
            code = 60 + scanPass;
            currentCmd = cmdHold;
            qDebug().noquote() << "add table DTC xmax " + QString::number(code);
        } else if (scanPass == 3) {
            sessionState = 1;
            currentCmd = cmdHold;
            qDebug().noquote() << "add table finished";
        }
        ++scanPass;
        qDebug().noquote() << "code=" + QString::number(scanPass);
    }
    if (scanPass < 4)
        appendItemRow(code);   // refuses codes outside the catalogue
    if (scanPass == 3 && code == 62) {
        sessionState = 1;
        scanPass = 0;
        currentCmd = cmdHold;
        qDebug().noquote() << "add table finished";
    }
    if (scanPass == 4)
        scanPass = 0;
}
