// SPDX-License-Identifier: GPL-3.0-or-later
// The event-loop wait of the protocol cycles. It lives apart (as does the
// wake-up pulse, wakeuppulse.cpp) so that a harness can link its own in its
// place: the fuzz targets an instant one.
#include "mainwindow.h"

#include <QEventLoop>
#include <QTimer>

void MainWindow::delay(int ms)
{
    if (!running)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, SLOT(quit()));
    loop.exec();
}
