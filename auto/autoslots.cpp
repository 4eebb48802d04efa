// SPDX-License-Identifier: GPL-3.0-or-later
// The Auto family's slots: one key per tick, its answer to the cycle.
#include "mainwindow.h"
#include "tick.h"

#include "link/usbserial.h"

#include <QDebug>

void MainWindow::send_clicked()
{
    Tick tick(busy.autoCycle, cycleEpoch, running);
    const std::shared_ptr<AutoCycle> cycle = autoCycle;
    if (tick.entered() && cycle)
        autoTick(tick, *cycle);
}

void MainWindow::co_send_clicked()
{
    Tick tick(busy.autoCo, cycleEpoch, running);
    const std::shared_ptr<AutoCoCycle> cycle = autoCoCycle;
    if (tick.entered() && cycle)
        autoTick(tick, *cycle);
}

template <class Cycle>
void MainWindow::autoTick(const Tick &tick, Cycle &cycle)
{
    const AutoRequest request = cycle.next();
    apply(request.effects);
    unsigned char key = request.key;
    link->writeDataHex(&key);
    delay(request.waitMs);
    QString reply = link->readDataHex();
    if (reply.isEmpty())
        reply = link->readDataHex();
    if (tick.overtaken())
        return;
    qDebug().noquote() << request.logTag + reply;
    apply(cycle.onReply(AutoReply::parse(reply)));
}
