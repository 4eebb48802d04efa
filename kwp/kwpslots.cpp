// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP family's slots: a tick is the cycle's requests one by one, the
// wake-up, frames and CO keys carried out over the link, until it ends.
#include "mainwindow.h"
#include "tick.h"
#include "ui_mainwindow.h"

#include "kwp/kwpprotocol.h"
#include "link/usbserial.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QTimer>

void MainWindow::send_clicked_xmax()
{
    Tick tick(busy.kwpCycle, cycleEpoch, running);
    const std::shared_ptr<KwpCycle> cycle = kwpCycle;
    if (tick.entered() && cycle)
        kwpTick(tick, *cycle);
}

void MainWindow::co_send_clicked_xmax()
{
    Tick tick(busy.kwpCo, cycleEpoch, running);
    const std::shared_ptr<KwpCoCycle> cycle = kwpCoCycle;
    if (tick.entered() && cycle)
        kwpTick(tick, *cycle);
}

template <class Cycle>
void MainWindow::kwpTick(const Tick &tick, Cycle &cycle)
{
    if (!link->isConnected()) {
        qDebug().noquote() << "usb not connect";
        return;
    }
    // The timer waits for the tick: its end starts it again.
    pollTimer->stop();
    for (;;) {
        const KwpStep request = cycle.next();
        apply(request.effects);
        switch (request.kind) {
        case KwpStep::Kind::End: return;
        case KwpStep::Kind::WakeUp:
            if (!kwpWakeUp(tick, request.pulseMs))
                return;
            break;
        case KwpStep::Kind::Key: {
            unsigned char key = request.key;
            link->writeDataHex(&key);
            delay(KwpProtocol::KeyPauseMs);
            if (tick.overtaken())
                return;
            link->readDataHex(); // the key's echo
            break;
        }
        case KwpStep::Kind::Frame: {
            const QString reply = kwpExchange(request);
            if (tick.overtaken())
                return;
            if (request.logged)
                qDebug().noquote() << request.logTag + reply;
            apply(cycle.onReply(KwpReply::parse(reply, request.frame)));
            break;
        }
        }
    }
}

QString MainWindow::kwpExchange(const KwpStep &request)
{
    link->writeDataStr(request.frame.text());
    if (request.read == KwpStep::Read::Once) {
        delay(KwpProtocol::SearchUpWaitMs);
        return link->readDataHex();
    }
    delay(KwpProtocol::AnswerWaitMs);
    QString reply = link->readDataHex();
    if (reply.isEmpty()) {
        delay(KwpProtocol::SecondReadMs);
        reply = link->readDataHex();
    }
    if (request.read == KwpStep::Read::Answer && reply.endsWith(QLatin1Char(',')))
        reply.chop(1);
    return reply;
}

// Wakes the ECU with a DTR pulse of `pulseMs` at the KWP line speed; false
// when the tick was overtaken meanwhile.
bool MainWindow::kwpWakeUp(const Tick &tick, int pulseMs)
{
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
