// The KWP steps shared by the polling and the CO cycle: the exchange, the
// wake-up pulse, the end of a session and the restart of the poll timer.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "link/usbserial.h"
#include "protocolcounters.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QTimer>

namespace {
constexpr int kAnswerWaitMs = 110;
constexpr int kSecondReadMs = 50;
constexpr int kKwpBaud = 10400;
constexpr int kAutoPollMs = 30;
constexpr int kShortestPulseMs = 20;
constexpr int kLongestPulseMs = 25;
} // namespace

QString MainWindow::kwpExchange(const QString &cmd, bool dropComma)
{
    link->writeDataStr(cmd);
    delay(kAnswerWaitMs);
    QString reply = link->readDataHex();
    if (reply.isEmpty()) {
        delay(kSecondReadMs);
        reply = link->readDataHex();
    }
    if (dropComma && reply.endsWith(QLatin1Char(',')))
        reply.chop(1);
    return reply;
}

// The type box or the close button may act during any wait of a tick, and a
// write may fail; the rest of the tick must then not touch the line, the
// status or the timer as KWP.
bool MainWindow::kwpAbandoned() const
{
    return !running || linkLost || vehicleType != QLatin1String("xmax");
}

void MainWindow::kwpRestartPoll(int ms)
{
    // After a failed write the reconnect starts the timer again.
    if (!running || linkLost)
        return;
    // "Auto" was chosen while this tick waited: poll at the Auto pace.
    pollTimer->start(vehicleType == QLatin1String("xmax") ? ms : kAutoPollMs);
}

void MainWindow::kwpAbandonTick()
{
    // States 11 and 12 mean nothing outside this family.
    if (sessionState == 11 || sessionState == 12)
        sessionState = 0;
    kwpRestartPoll(kAutoPollMs);
}

void MainWindow::kwpDropSession(const QString &logText, const QString &status, int ms)
{
    qDebug().noquote() << logText;
    kwpRestartPoll(ms);
    sessionState = 0;
    scanPass = 0;
    ui->statusBar->showMessage(status);
    clear_table();
    restoreWaitCursors();
}

void MainWindow::kwpWakeUp(int pulseMs)
{
    link->setBaud(kKwpBaud);
    kwpLineSlow = true;
    qDebug().noquote() << "login xmax";
    QElapsedTimer clock;
    clock.start();
    link->writeDataBit(0);
    delay_login(pulseMs);
    link->writeDataBit(1);
    const double elapsedMs = clock.nsecsElapsed() / 1e6;
    qDebug().noquote() << "timer delay= " + QString::number(elapsedMs, 'g', 6);
}

// The first frame went unanswered: try a pulse 1 ms shorter next time,
// from 25 down to 20 ms and round again.
void MainWindow::kwpPulseMissed(int &pulseMs)
{
    --pulseMs;
    if (pulseMs < kShortestPulseMs)
        pulseMs = kLongestPulseMs;
    qDebug().noquote() << "login ms= " + QString::number(pulseMs);
}
