// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CABLESTATUS_H
#define CABLESTATUS_H

#include <QString>

class QLabel;
class QStatusBar;

// The reason beside "Not Connect.": a label of its own at the right of the
// status bar (the status text itself stays as it is), filled when an open
// fails and emptied once the cable is open.
class CableStatus
{
public:
    explicit CableStatus(QStatusBar *statusBar);

    // The hint to show; empty: none (the cable is open).
    void show(const QString &hint);

private:
    QLabel *label;
};

#endif // CABLESTATUS_H
