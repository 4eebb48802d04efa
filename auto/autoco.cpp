// CO adjustment mode: entering and leaving it, and the Auto CO cycle.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cowindow.h"
#include "link/usbserial.h"

#include <QDebug>
#include <QTimer>

namespace {
constexpr int kCoPollMs = 30;
}

void MainWindow::co_clicked()
{
    if (!link->isConnected())
        return;
    qDebug().noquote() << "logiiin";
    if (ui->tableWidget->rowCount() > 0) {
        ui->tableWidget->setRowCount(0);
        rowCodes.clear();
        selectedRow = 0;
        ecuRow = 0;
        restoreWaitCursors();
    }
    sessionState = 0;
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
}
