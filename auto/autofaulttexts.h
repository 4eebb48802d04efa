// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOFAULTTEXTS_H
#define AUTOFAULTTEXTS_H

#include <QList>
#include <QString>

// The Auto fault-code catalogue: an explanation for each code 0 to 99 the
// tool knows, empty for the others.
namespace AutoFaultTexts {
QList<QString> build();
} // namespace AutoFaultTexts

#endif // AUTOFAULTTEXTS_H
