// SPDX-License-Identifier: GPL-3.0-or-later
// The event-loop wait of the ticks. It lives apart (as does the wake-up
// pulse, wakeuppulse.cpp) so that a harness can link its own in its place:
// the fuzz targets an instant one.
#include "session/sessionengine.h"

#include <QEventLoop>
#include <QTimer>

void SessionEngine::delay(int ms)
{
    if (!running_)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, SLOT(quit()));
    loop.exec();
}
