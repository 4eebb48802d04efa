// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KEYSTEP_H
#define KEYSTEP_H

#include "ecu/step.h"

#include <cstdint>

// An Auto exchange: one key, its answer read after `waitMs`, and read once
// more at once when nothing came.
inline Step keyStep(std::uint8_t key, int waitMs, const QString &logTag)
{
    Step step;
    step.kind = Step::Kind::Exchange;
    step.request = QByteArray(1, char(key));
    step.read.waitMs = waitMs;
    step.read.secondReadMs = 0;
    step.logTag = logTag;
    return step;
}

#endif // KEYSTEP_H
