// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/qtsetup.h"

#include <QGuiApplication>

void setUpQtBeforeApplication()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    // Windows' own factor as it is: rounded, 125 % would become 100 % and
    // the fonts, which follow the screen's DPI anyway, would outgrow the
    // columns again; 150 % would become 200 %.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#endif
#ifdef Q_OS_WIN
    // Another program's installer may point these at its own Qt build; its
    // plugins would load into ours. qt.conf beside the program names ours.
    qunsetenv("QT_PLUGIN_PATH");
    qunsetenv("QT_QPA_PLATFORM_PLUGIN_PATH");
#endif
}
