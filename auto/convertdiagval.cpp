// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "auto/diagvalue.h"

QString MainWindow::convertdiagval(QString codestr, QString valstr)
{
    return DiagValue::convert(codestr, valstr);
}
