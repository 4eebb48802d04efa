// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPFAULTTEXTS_H
#define KWPFAULTTEXTS_H

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

} // namespace KwpFaultTexts

#endif // KWPFAULTTEXTS_H
