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
constexpr int kKeyReplyMs = 20;   // the ECU answers well within this
} // namespace

void MainWindow::up_clicked()
{
    coKey(kKeyUp);
}

void MainWindow::down_clicked()
{
    coKey(kKeyDown);
}

void MainWindow::coKey(std::uint8_t key)
{
    if (sessionState == 0)
        return;
    pollTimer->stop();
    delay(kKeyPauseMs);
    // The Auto ECU answers the key like any request. Its answer must not
    // reach the CO tick, whose own reading would otherwise arrive glued to
    // it and be shown as 0 rpm: what came before the key belongs to the
    // tick under way, what comes after is the key's and is dropped.
    const bool drain = vehicleType != QLatin1String("xmax");
    if (drain)
        coCarriedReply += link->readDataHex();
    unsigned char byte = key;
    link->writeDataHex(&byte);
    if (drain) {
        delay(kKeyReplyMs);
        qDebug().noquote() << "co key:" + link->readDataHex();
    }
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
