// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CABLESTATUS_H
#define CABLESTATUS_H

#include "link/openfailure.h"

class QLabel;
class QStatusBar;

// The reason beside "Not Connect.": a label of its own at the right of the
// status bar (the status text itself stays as it is), filled when an open
// fails and emptied once the cable is open.
class CableStatus
{
public:
    explicit CableStatus(QStatusBar *statusBar);

    // Asks the system about the cable (only now: the happy path never pays
    // for it), logs what it saw and shows what the mechanic can do.
    void openFailed(const OpenFailure &failure);
    void connected();

private:
    QLabel *label;
};

#endif // CABLESTATUS_H
