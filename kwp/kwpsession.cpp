// The KWP family's polling cycle.
#include "mainwindow.h"

void MainWindow::send_clicked_xmax()
{
}
