// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"
#include "qtsetup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    setUpQtBeforeApplication();
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    return app.exec();
}
