// SPDX-License-Identifier: GPL-3.0-or-later
// The KWP fault-code catalogue.
#include "mainwindow.h"

#include "itemcatalogue.h"
#include "kwp/kwpfaulttexts.h"

void MainWindow::load_errorlist_xmax()
{
    // On this family item 61 is the history count, cleared with Action.
    itemList[61] = ItemCatalogue::xmaxHistoryEntry();

    errorList.clear();
    errorList.reserve(KwpFaultTexts::CatalogueSize);
    for (int i = 0; i < KwpFaultTexts::CatalogueSize; ++i)
        errorList.append(QString());
    for (const KwpFaultTexts::Entry *e = KwpFaultTexts::begin(); e != KwpFaultTexts::end(); ++e)
        errorList[e->index] = QString::fromLatin1(e->text);
}
