// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUITONSIGNAL_H
#define QUITONSIGNAL_H

// Ctrl+C or a plain kill ends the recorder the way closing its window does,
// so the recording gets its last lines and its end mark.
void quitOnTerminationSignals();

#endif // QUITONSIGNAL_H
