// SPDX-License-Identifier: GPL-3.0-or-later
// The harness's waits: no real time passes, the cable's clock moves on.
// Defining them here keeps the application library's waits out of the link.
#include "mainwindow.h"

#include "fuzz/fuzzdriver.h"

void MainWindow::delay(int ms)
{
    if (!running)
        return;
    fuzzdrive::advanceClock(ms);
}

void MainWindow::delay_login(int ms)
{
    if (!running)
        return;
    fuzzdrive::advanceClock(ms);
}
