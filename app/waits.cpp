// The two waits of the protocol cycles. They live apart so that a harness
// (the fuzz targets) can link its own instant versions in their place.
#include "mainwindow.h"

#include <QElapsedTimer>
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

void MainWindow::delay_login(int ms)
{
    // Busy wait: the wake-up pulse must not stretch while events run.
    if (!running)
        return;
    QElapsedTimer clock;
    clock.start();
    if (ms <= 0)
        return;
    while (ms - int(clock.nsecsElapsed() / 1000000) > 0) {
    }
}
