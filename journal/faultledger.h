// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FAULTLEDGER_H
#define FAULTLEDGER_H

// The fault codes this session has read, and the clears it has carried
// out with what was stored before and after each: what the report tells
// the customer. Only what the cycles read on their own is here.
#include "ecu/faultreading.h"

#include <QList>
#include <QtGlobal>

class FaultLedger
{
public:
    enum Family { Auto, Xmax, Families };
    // The two fault rows: 61 the history, 62 the codes stored now.
    enum Row { History, Current, Rows };

    struct Clear {
        Family family;
        qint64 ms;
        FaultReading before[Rows];
        FaultReading after[Rows]; // the latest reading since, until the next clear
    };

    void read(Family family, Row row, const FaultReading &reading);
    void cleared(Family family, qint64 ms);

    const FaultReading &latest(Family family, Row row) const { return latest_[family][row]; }
    const QList<Clear> &clears() const { return clears_; }

private:
    FaultReading latest_[Families][Rows];
    QList<Clear> clears_;
};

#endif // FAULTLEDGER_H
