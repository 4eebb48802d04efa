// The KWP CO cycle.
#include "mainwindow.h"

void MainWindow::co_send_clicked_xmax()
{
}
