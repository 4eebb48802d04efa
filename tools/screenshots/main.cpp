// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-screenshots [DIR]: the demo program, driven to a filled table, the
// fault-code listings and the CO dialog; one PNG of each in DIR (default
// docs/). Meant to run under xvfb-run, so that the window is drawn by the
// same platform plugin, style and fonts as on a desktop.
// tavrix-screenshots DIR --scaled NAME: only the picture of the window at
// the screen's scale (a value with its unit, the longest item name).
// tavrix-screenshots DIR --virtual-time: the same views on virtual time, as
// the suite runs it: the ECU's waits pass at once.
#include "program/qtsetup.h"
#include "shotsteps.h"
#include "sim/virtualtime/virtualtime.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QTextStream>

#include <cstring>

int main(int argc, char *argv[])
{
    setUpQtBeforeApplication();
    if (argc > 2 && std::strcmp(argv[2], "--virtual-time") == 0)
        VirtualTime::install(); // before the application object, as it needs
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QDir outDir(args.value(1, "docs"));
    if (!outDir.exists()) {
        QTextStream(stderr) << "no such directory: " << outDir.path() << "\n";
        return 2;
    }
    MainWindow window;
    window.show();
    const QString error = args.value(2) == "--scaled"
                              ? takeScaledScreenshot(window, outDir, args.value(3))
                              : takeScreenshots(window, outDir);
    if (!error.isEmpty()) {
        QTextStream(stderr) << "screenshots: " << error << "\n";
        return 1;
    }
    return 0;
}
