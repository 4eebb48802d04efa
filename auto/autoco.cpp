// SPDX-License-Identifier: GPL-3.0-or-later
// The Auto CO cycle: its own login, the cylinder change, then engine speed
// and CO setting, with the Up and Down keys sent in place of a reading.
#include "mainwindow.h"
#include "tick.h"
#include "ui_mainwindow.h"

#include "auto/autococycle.h"
#include "cowindow.h"
#include "protocolcounters.h"

#include <QDebug>

using namespace AutoProtocol;

namespace {
constexpr int kCylinderWaitMs = 10;
}

void MainWindow::co_send_clicked()
{
    Tick tick(busy.autoCo, cycleEpoch, running);
    if (!tick.entered())
        return;
    if (sessionState == 0)
        coLoginTick(tick);
    else if (sessionState == 2 || sessionState == 3)
        coCylinderTick(tick);
    else
        coSessionTick(tick);
}

void MainWindow::coLoginTick(const Tick &tick)
{
    int &step = protocolCounters().coLoginStep;
    const std::uint8_t key = AutoCoCycle::loginKey(step);
    const QString reply = autoExchange(key, SessionWaitMs);
    if (tick.overtaken())
        return;
    qDebug().noquote() << reply;
    journal.autoLoginAnswer(key, reply);
    const AutoCoCycle::LoginReading reading =
        AutoCoCycle::readLogin(key, step, expectedReply, replyFields(reply));
    if (reading.tooShort) {
        setSessionState(0);
        return;
    }
    if (reading.twinCylinder)
        coWindow->setComboCyl(true);
    if (reading.sessionUp) {
        // A cylinder chosen while the login ran is changed now.
        setSessionState(cylinderWanted != 0 ? cylinderWanted : 1);
        cylinderWanted = 0;
        ui->statusBar->showMessage("Connected-Engine On");
    }
}

void MainWindow::coCylinderTick(const Tick &tick)
{
    const auto wanted = AutoCoCycle::State(sessionState);
    const AutoCoCycle::CylinderKey key =
        AutoCoCycle::cylinderKey(protocolCounters().cylinderStep, wanted);
    if (key.done)
        setSessionState(1);
    const QString reply = autoExchange(key.key, kCylinderWaitMs);
    if (tick.overtaken())
        return;
    qDebug().noquote() << "login cyl:" + reply;
}

void MainWindow::coSessionTick(const Tick &tick)
{
    // An Up or Down press goes out in place of the reading: its answer is a
    // reading like any, with the new CO setting in it.
    const std::uint8_t key = coKeys.isEmpty() ? Hold : coKeys.takeFirst();
    const QString reply = autoExchange(key, SessionWaitMs);
    if (tick.overtaken())
        return;
    qDebug().noquote() << reply;
    const AutoCoCycle::Reading reading = AutoCoCycle::read(replyFields(reply));
    if (reading.whole) {
        if (reading.hasCo)
            coValue = reading.co;
        rpm = reading.rpm;
    } else {
        rpm = 0;
        coValue = 0;
    }
    if (sessionState == 1)
        coWindow->setDisplay(rpm, coValue);
    if (reading.lost) {
        setSessionState(0);
        ui->statusBar->showMessage("Connected-Engine Off");
    }
}
