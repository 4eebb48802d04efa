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

// A table row as the catalogue describes the item when the row is added:
// an actuator row ("A") or not, the name without its "x", the unit. A code
// the catalogue does not hold shows "-" for name and unit.
struct ItemRow {
    int code = -1;
    bool actuator = false;
    QString name;
    QString unit;
};
ItemRow row(const QList<QString> &catalogue, int code);
// The "Info:" text of an item: its description ("-" for an unknown code).
QString description(const QList<QString> &catalogue, int code);

// Slot 61 once the KWP family has been chosen: a clearable fault history.
QString xmaxHistoryEntry();

} // namespace ItemCatalogue

#endif // ITEMCATALOGUE_H
