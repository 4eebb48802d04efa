// SPDX-License-Identifier: GPL-3.0-or-later
// Which protocol slot the poll timer drives: the vehicle-type box, and the
// CO window entered and left. Each move starts a new session's cycle.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cowindow.h"
#include "link/usbserial.h"
#include "pacing.h"
#include "statustexts.h"

#include <QDebug>
#include <QTimer>

void MainWindow::comboBox_typeChanged(int index)
{
    const bool xmax = index != 0;
    vehicleType = xmax ? "xmax" : "auto";
    if (xmax) {
        load_errorlist_xmax();
        disconnect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked()));
        connect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked_xmax()),
                Qt::UniqueConnection);
    } else {
        load_errorlist_auto();
        disconnect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked_xmax()));
        connect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked()), Qt::UniqueConnection);
        // The Auto ECU only listens at the speed the line had when opened.
        if (kwpLineSlow && link->isConnected())
            link->setBaud(UsbSerial::OpenBaud);
        kwpLineSlow = false;
    }
    // A session belongs to the ECU it was opened with: the other family
    // starts with its own login, not by polling an ECU it never greeted.
    startCycle();
    // A tick of the other family may have stopped the timer for its waits;
    // the new family starts at its first pace.
    if (link->isConnected())
        pollTimer->start(Pacing::AutoPollMs);
}

void MainWindow::co_clicked()
{
    if (!link->isConnected())
        return;
    qDebug().noquote() << "logiiin";
    clear_table();
    // Each CO window logs in from the identification: a login step kept
    // from an earlier window would send its action keys to an ECU still in
    // its diagnosis, as checks of whatever item it stands on.
    coMode = true;
    startCycle();
    coValue = 0;
    rpm = 0;
    coWindow->setDisplay(0, 0);
    pollTimer->stop();
    ui->statusBar->showMessage(StatusText::EngineOff);
    routePollTimerToCo(true);
    pollTimer->start(Pacing::AutoPollMs);

    if (coWindow->exec() == 0) {
        // The ECU is in its CO mode now: the normal cycle identifies it anew.
        coMode = false;
        startCycle();
        ui->statusBar->showMessage(StatusText::EngineOff);
        routePollTimerToCo(false);
    }
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
