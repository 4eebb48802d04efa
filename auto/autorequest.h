// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOREQUEST_H
#define AUTOREQUEST_H

#include "effects.h"
#include "link/linebytes.h"

#include <QString>

#include <cstdint>

// One key of an Auto cycle: the window writes it, waits, reads the answer
// (a second time at once when nothing came) and logs it behind `logTag`.
struct AutoRequest {
    std::uint8_t key = AutoKey::Identify;
    int waitMs = 0;
    QString logTag;
    Effects effects; // shown as the key goes out
};

#endif // AUTOREQUEST_H
