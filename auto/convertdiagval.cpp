// Raw item values to the text shown in the "Value" column.
#include "mainwindow.h"

QString MainWindow::convertdiagval(QString codestr, QString valstr)
{
    Q_UNUSED(codestr);
    return valstr;
}
