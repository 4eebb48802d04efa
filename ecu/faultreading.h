// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FAULTREADING_H
#define FAULTREADING_H

#include <QList>
#include <QString>
#include <QtGlobal>

// A fault code as the tool shows it, with its explanation.
struct FaultCode {
    QString code; // "P0113" (Xmax), "12" (Auto)
    QString text; // empty when the catalogue has none
};

// What one read of a fault-code row found.
struct FaultReading {
    bool read = false;
    qint64 ms = 0;
    int count = 0; // what the row's Value cell showed
    QList<FaultCode> codes;
};

#endif // FAULTREADING_H
