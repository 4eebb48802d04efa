// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the CO dialog: its keys and its display.
#include "mainwindow.h"

#include "cowindow.h"
#include "pacing.h"

#include <QDebug>
#include <QTimer>

#include <cstdint>

void MainWindow::up_clicked()
{
    coKey(AutoKey::Up);
}

void MainWindow::down_clicked()
{
    coKey(AutoKey::Down);
}

// The key goes out in the CO cycle's next tick, in place of a reading (or
// alone before it on KWP), so that no tick runs between the pause and the
// key and no second tick starts inside a running one.
void MainWindow::coKey(std::uint8_t key)
{
    if (sessionState == SessionState::None)
        return;
    if (autoCoCycle)
        autoCoCycle->key(key);
    else if (kwpCoCycle)
        kwpCoCycle->key(key);
    pollTimer->start(Pacing::CoKeyPollMs);
}

void MainWindow::cyl_changed(int cyl)
{
    qDebug().noquote() << "cyl...................... " + QString::number(cyl);
    // Only the Auto CO session knows a cylinder change.
    if (autoCoCycle)
        autoCoCycle->cylinder(cyl);
    mirror();
}

void MainWindow::setDisplay()
{
    if (sessionUp())
        coWindow->setDisplay(rpm, coValue);
}
