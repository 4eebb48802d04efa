// CO adjustment mode: entering and leaving it, and the Auto CO cycle.
#include "mainwindow.h"
#include "tickguard.h"
#include "ui_mainwindow.h"

#include "autoprotocol.h"
#include "cowindow.h"
#include "link/usbserial.h"
#include "protocolcounters.h"

#include <QDebug>
#include <QTimer>

using namespace AutoProtocol;

namespace {
constexpr int kCoPollMs = 30;
constexpr int kCylinderWaitMs = 10;
constexpr int kCoSessionAt = 55;     // CO login step from which a session may come up
constexpr int kCylinderStep = 9;     // CO login step that tells the cylinder count
constexpr int kKeyGroupStep = 34;
constexpr int kSingleGroupStep = 38;
constexpr int kTwinGroupStep = 41;
constexpr int kCoRawZero = 128;      // raw CO setting of 0
constexpr int kRpmPerCount = 50;

// The cylinder change; step 12 carries the cylinder (hold for "1", up for "2").
constexpr KeyStep kCylinderSteps[] = {
    {0, 7, Action, Advance},  {8, 11, Hold, Advance},  {12, 12, Hold, 13},
    {13, 16, Hold, Advance},  {17, 25, Action, Advance}, {26, INT_MAX, Action, 0},
};
constexpr int kCylinderKeyStep = 12;
constexpr int kCylinderLastStep = 26;

void writeKey(UsbSerial *link, std::uint8_t key)
{
    unsigned char byte = key;
    link->writeDataHex(&byte);
}
} // namespace

void MainWindow::co_clicked()
{
    if (!link->isConnected())
        return;
    qDebug().noquote() << "logiiin";
    coCarriedReply.clear();
    if (ui->tableWidget->rowCount() > 0) {
        ui->tableWidget->setRowCount(0);
        rowCodes.clear();
        selectedRow = 0;
        ecuRow = 0;
        restoreWaitCursors();
    }
    sessionState = 0;
    autoEcuRow = 0;
    coValue = 0;
    rpm = 0;
    coWindow->setDisplay(0, 0);
    pollTimer->stop();
    ui->statusBar->showMessage("Connected-Engine Off");
    routePollTimerToCo(true);
    pollTimer->start(kCoPollMs);

    if (coWindow->exec() == 0) {
        ui->statusBar->showMessage("Connected-Engine Off");
        routePollTimerToCo(false);
    }
    coCarriedReply.clear();
}

void MainWindow::routePollTimerToCo(bool co)
{
    // vehicleType is read anew each way: the box may change meanwhile.
    const bool xmax = vehicleType == "xmax";
    const char *normal = xmax ? SLOT(send_clicked_xmax()) : SLOT(send_clicked());
    const char *coCycle = xmax ? SLOT(co_send_clicked_xmax()) : SLOT(co_send_clicked());
    disconnect(pollTimer, SIGNAL(timeout()), this, co ? normal : coCycle);
    connect(pollTimer, SIGNAL(timeout()), this, co ? coCycle : normal, Qt::UniqueConnection);
}

void MainWindow::co_send_clicked()
{
    TickGuard guard(busy.autoCo);
    if (!guard.entered())
        return;
    if (sessionState == 0)
        coLoginTick();
    else if (sessionState == 2 || sessionState == 3)
        coCylinderTick();
    else
        coSessionTick();
}

QString MainWindow::coReadReply()
{
    const QString reply = coCarriedReply + link->readDataHex();
    coCarriedReply.clear();
    return reply.isEmpty() ? link->readDataHex() : reply;
}

void MainWindow::coLoginTick()
{
    int &step = protocolCounters().coLoginStep;
    std::uint8_t key = Identify;
    keyFor(CoLoginSteps, step, key);
    writeKey(link, key);
    delay(SessionWaitMs);
    const QString reply = coReadReply();
    qDebug().noquote() << reply;
    const QStringList fields = replyFields(reply);
    if (fields.size() < 3) {
        sessionState = 0;
        step = 0;
        return;
    }
    if (key == Identify)
        applyModelCode(matchModel(CoLoginModels, fields.last()), step, expectedReply);
    if (key == Action && fields.last() == QLatin1String("80") && step >= 1 && step <= 33)
        expectedReply = "81";
    coJudgeLoginReply(fields);
}

void MainWindow::coJudgeLoginReply(const QStringList &fields)
{
    int &step = protocolCounters().coLoginStep;
    const QString last = fields.last();
    if (last == QLatin1String("10") || last == QLatin1String("90")) {
        if (step < kKeyGroupStep) {
            qDebug().noquote() << "login=ce";
            step = kKeyGroupStep;
        }
    } else if (last == QLatin1String("1") && fieldFromEnd(fields, 3) == QLatin1String("40")
               && step == kCylinderStep) {
        step = kTwinGroupStep;
        coWindow->setComboCyl(true);
        qDebug().noquote() << "login=r25";
    } else {
        coCountLoginReply(last == expectedReply);
    }
}

void MainWindow::coCountLoginReply(bool expected)
{
    int &step = protocolCounters().coLoginStep;
    if (expected) {
        qDebug().noquote() << "login=1";
        if (step < kCylinderStep) {
            ++step;
            qDebug().noquote() << "login=ce2";
        } else if (step == kCylinderStep) {
            step = kSingleGroupStep;
        }
        qDebug().noquote() << QString::number(step);
        return;
    }
    qDebug().noquote() << "tick cerr= " + QString::number(step);
    if (step >= kCoSessionAt) {
        sessionState = 1;
        step = 0;
        qDebug().noquote() << "tick 55";
        ui->statusBar->showMessage("Connected-Engine On");
    }
}

void MainWindow::coCylinderTick()
{
    int &step = protocolCounters().cylinderStep;
    const int sent = step;
    std::uint8_t key = Action;
    keyFor(kCylinderSteps, step, key);
    if (sent == kCylinderKeyStep && sessionState == 3)
        key = Up;
    if (sent >= kCylinderLastStep)
        sessionState = 1;
    writeKey(link, key);
    delay(kCylinderWaitMs);
    qDebug().noquote() << "login cyl:" + coReadReply();
}

void MainWindow::coSessionTick()
{
    writeKey(link, Hold);
    delay(SessionWaitMs);
    const QString reply = coReadReply();
    qDebug().noquote() << reply;
    const QStringList fields = replyFields(reply);
    if (fields.size() == SessionFields) {
        if (!showsCode(fields.value(3)))
            coValue = fields.value(4).toInt(nullptr, 16) - kCoRawZero;
        rpm = fields.value(1).toInt(nullptr, 16) * kRpmPerCount;
        if (sessionState == 1)
            coWindow->setDisplay(rpm, coValue);
        return;
    }
    rpm = 0;
    coValue = 0;
    if (sessionState == 1)
        coWindow->setDisplay(0, 0);
    if (fields.size() == 1) {
        sessionState = 0;
        ui->statusBar->showMessage("Connected-Engine Off");
    }
}
