// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SCANPASS_H
#define SCANPASS_H

#include <QDebug>
#include <QString>

// A pass of the table scan holds one row per move sent since item 1, so that
// row r stays r steps from item 1. When the two disagree an announcement
// was lost or doubled: the table goes, and a pass begins at the next item 1.
namespace ScanPass {

// True (and scanPass back to 0) when the pass under way is out of step.
inline bool outOfStep(int &scanPass, int rows, int moves)
{
    if (scanPass != 1 || rows == moves)
        return false;
    qDebug().noquote() << "scan again: " + QString::number(rows) + " rows, "
                              + QString::number(moves) + " moves";
    scanPass = 0;
    return true;
}

} // namespace ScanPass

#endif // SCANPASS_H
