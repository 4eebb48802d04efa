// SPDX-License-Identifier: GPL-3.0-or-later
// The window's waits on virtual time (tests/virtual/virtualtime.h). Linked
// into a test program, these stand in for app/waits.cpp: delay runs the
// event loop as ever, and the dispatcher jumps the clock to its end; the
// wake-up pulse's busy wait only moves the clock on.
#include "mainwindow.h"
#include "virtualtime.h"

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
    if (!running || ms <= 0)
        return;
    VirtualTime::advanceNs(sim::Nanos(ms) * 1000000);
}
