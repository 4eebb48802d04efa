// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-screenshots [DIR]: the demo program, driven to a filled table, the
// fault-code listings and the CO dialog; one PNG of each in DIR (default
// docs/). Meant to run under xvfb-run, so that the window is drawn by the
// same platform plugin, style and fonts as on a desktop.
// tavrix-screenshots DIR --scaled NAME: only the picture of the window at
// the screen's scale (a value with its unit, the longest item name).
#include "program/qtsetup.h"
#include "shotsteps.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    setUpQtBeforeApplication();
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
