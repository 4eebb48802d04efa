// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/instanceguard.h"
#include "program/qtsetup.h"
#include "ui/mainwindow.h"

#include <QApplication>

#ifdef TAVRIX_LOG_CONSOLE
#include "program/win/logconsole.h"
#endif

// The programs on the real cable claim it (CMake names the claim); the demo
// on its simulated cable runs beside them.
#ifndef TAVRIX_CABLE_CLAIM
#define TAVRIX_CABLE_CLAIM ""
#endif

int main(int argc, char *argv[])
{
#ifdef TAVRIX_LOG_CONSOLE
    const LogConsole console; // tavrix-log.exe
#endif
    setUpQtBeforeApplication();
    QApplication app(argc, argv);
    InstanceGuard guard(InstanceGuard::inThisFolder(QStringLiteral(TAVRIX_CABLE_CLAIM)));
    if (!guard.claimed())
        return guard.exitCode();
    MainWindow window;
    guard.raiseOnSecondStart(&window);
    window.show();
    return app.exec();
}
