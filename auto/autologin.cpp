// The login half of the Auto cycle: identification, the login keys and the
// scan that builds the item table.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "autoprotocol.h"
#include "link/usbserial.h"
#include "protocolcounters.h"

#include <QDebug>

using namespace AutoProtocol;

QString MainWindow::autoExchange(std::uint8_t key, int waitMs)
{
    unsigned char byte = key;
    link->writeDataHex(&byte);
    delay(waitMs);
    const QString reply = link->readDataHex();
    return reply.isEmpty() ? link->readDataHex() : reply;
}

std::uint8_t MainWindow::autoLoginKey(int &step)
{
    if (step >= -10 && step <= -1) {
        const std::uint8_t key = unlockSequence()[std::size_t(step + 10)];
        ++step;
        return key;
    }
    const bool scanGroup = step == ScanGroupStart;
    std::uint8_t key = Identify;
    keyFor(LoginSteps, step, key);
    if (scanGroup)
        ui->statusBar->showMessage("Connected-Engine On");
    return key;
}

void MainWindow::autoLoginTick()
{
    int &step = protocolCounters().loginStep;
    const std::uint8_t key = autoLoginKey(step);
    const QString reply = autoExchange(key, LoginWaitMs);
    qDebug().noquote() << "diag:" + reply;
    const QStringList fields = replyFields(reply);
    if (fields.size() < 3) {
        autoLoginFallsBack();
        return;
    }
    if (key == Identify) {
        if (step == 0)
            clear_table();
        autoApplyModelCode(fields.last());
    }
    if ((fields.last() == "10" || fields.last() == "90") && step == 1) {
        qDebug().noquote() << "login=ce";
        step = 2;
    }
    if (showsCode(fieldFromEnd(fields, 3)) && step > ScanFromStep)
        autoAnnounceItem(fields);
}

void MainWindow::autoLoginFallsBack()
{
    // Identification starts over: the "Engine On" of the scan group no
    // longer holds (a "Not Connect." of a failed write stays).
    if (ui->statusBar->currentMessage() == QLatin1String("Connected-Engine On"))
        ui->statusBar->showMessage("Connected-Engine Off");
    sessionState = 0;
    protocolCounters().loginStep = 0;
}

void MainWindow::autoApplyModelCode(const QString &field)
{
    applyModelCode(matchModel(LoginModels, field), protocolCounters().loginStep, expectedReply);
}

void MainWindow::autoAnnounceItem(const QStringList &fields)
{
    qDebug().noquote() << "table  add";
    const int code = fieldFromEnd(fields, 2).toInt(nullptr, 16);
    qDebug().noquote() << "code " + QString::number(code) + " " + QString::number(code);
    if (code == 1) {
        // The list starts at item 1: rows met before it (a scan resumed
        // after a session ended) would stand twice in the table.
        if (scanPass == 0)
            clear_table();
        if (scanPass == 1) {
            sessionState = 1;
            nextCommand = Hold;
            autoEcuRow = 0;   // back on item 1, the first row
            ecuRow = 0;
        }
        ++scanPass;
    }
    // A code outside the catalogue gets no row.
    if (scanPass < 2 && code >= 0 && code < ItemSlots)
        appendItemRow(code);
    if (scanPass == 2)
        scanPass = 0;
    protocolCounters().loginStep = ScanGroupStart;
}
