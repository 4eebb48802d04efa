// CO adjustment mode: entering and leaving it, and the Auto CO cycle.
#include "mainwindow.h"

void MainWindow::co_clicked()
{
}

void MainWindow::co_send_clicked()
{
}
