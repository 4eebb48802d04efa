// The main window's side of the CO dialog: its keys and its display.
#include "mainwindow.h"

#include "cowindow.h"
#include "link/usbserial.h"

#include <QDebug>
#include <QTimer>

namespace {
constexpr unsigned char kKeyUp = 0xCB;
constexpr unsigned char kKeyDown = 0xCC;
constexpr int kKeyPauseMs = 25;
constexpr int kAfterKeyPollMs = 50;
} // namespace

void MainWindow::up_clicked()
{
    if (sessionState == 0)
        return;
    pollTimer->stop();
    delay(kKeyPauseMs);
    unsigned char key = kKeyUp;
    link->writeDataHex(&key);
    pollTimer->start(kAfterKeyPollMs);
}

void MainWindow::down_clicked()
{
    if (sessionState == 0)
        return;
    pollTimer->stop();
    delay(kKeyPauseMs);
    unsigned char key = kKeyDown;
    link->writeDataHex(&key);
    pollTimer->start(kAfterKeyPollMs);
}

void MainWindow::cyl_changed(int cyl)
{
    sessionState = cyl == 1 ? 3 : 2;
    qDebug().noquote() << "cyl...................... " + QString::number(cyl);
}

void MainWindow::setDisplay()
{
    if (sessionState == 1)
        coWindow->setDisplay(rpm, coValue);
}
