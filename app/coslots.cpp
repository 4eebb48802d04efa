// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the CO dialog: its keys and its display.
#include "mainwindow.h"

#include "auto/autoprotocol.h"
#include "cowindow.h"
#include "pacing.h"

#include <QDebug>
#include <QTimer>

void MainWindow::up_clicked()
{
    if (sessionState == 0)
        return;
    coKeys.append(AutoProtocol::Up);
    pollTimer->start(Pacing::CoKeyPollMs);
}

void MainWindow::down_clicked()
{
    if (sessionState == 0)
        return;
    coKeys.append(AutoProtocol::Down);
    pollTimer->start(Pacing::CoKeyPollMs);
}

void MainWindow::cyl_changed(int cyl)
{
    qDebug().noquote() << "cyl...................... " + QString::number(cyl);
    // Only the Auto CO session knows a cylinder change; a request made while
    // it logs in waits for it, for the keys of the change mean something
    // else to an ECU that is not in CO mode.
    if (vehicleType == QLatin1String("xmax"))
        return;
    const int state = cyl == 1 ? 3 : 2;
    if (sessionState == 0)
        cylinderWanted = state;
    else
        sessionState = state;
}

void MainWindow::setDisplay()
{
    if (sessionState == 1)
        coWindow->setDisplay(rpm, coValue);
}
