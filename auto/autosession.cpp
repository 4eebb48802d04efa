// The Auto family's polling cycle: one key byte per tick.
#include "mainwindow.h"

void MainWindow::send_clicked()
{
}
