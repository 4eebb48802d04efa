// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPFAULTTEXTS_H
#define KWPFAULTTEXTS_H

#include <QList>
#include <QString>

// The KWP fault-code explanations that have a text; every other index of
// the catalogue is empty.
namespace KwpFaultTexts {

constexpr int CatalogueSize = 2196; // indexes 0 .. 2195

struct Entry {
    int index;
    const char *text;
};

const Entry *begin();
const Entry *end();

// The whole catalogue: every index, empty where no text is known.
QList<QString> build();

} // namespace KwpFaultTexts

#endif // KWPFAULTTEXTS_H
