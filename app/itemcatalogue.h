// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ITEMCATALOGUE_H
#define ITEMCATALOGUE_H

#include <QList>
#include <QString>

// The ECU's diagnostic items by code: "name,unit,description". A name that
// starts with "x" is an actuator check.
namespace ItemCatalogue {

constexpr int Size = 100;

QList<QString> build();

// Slot 61 once the KWP family has been chosen: a clearable fault history.
QString xmaxHistoryEntry();

} // namespace ItemCatalogue

#endif // ITEMCATALOGUE_H
