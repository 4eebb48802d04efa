// The KWP fault-code catalogue.
#include "mainwindow.h"

#include "itemcatalogue.h"

void MainWindow::load_errorlist_xmax()
{
    itemList[61] = ItemCatalogue::xmaxHistoryEntry();
}
