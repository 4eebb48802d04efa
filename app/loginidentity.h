// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LOGINIDENTITY_H
#define LOGINIDENTITY_H

// What a login's answers say about the ECU, read beside the cycles that
// act on them: the Auto model its answer to `identify` names, and what a
// KWP ECU answers to the local identifier 0xFE.
#include <QString>

#include <cstdint>

namespace LoginIdentity {

// The model as the login's log names it ("vixion"); empty when `reply`
// is no answer to `identify` naming a known model.
QString autoModel(std::uint8_t key, const QString &reply);

// The bytes the ECU sent behind its positive answer to `frame` when that
// is the identification request (0x21 0xFE), as "TX3 (54 58 33)", or as
// hexadecimal alone when they are no plain text; empty otherwise.
QString kwpIdentification(const QString &frame, const QString &reply);

} // namespace LoginIdentity

#endif // LOGINIDENTITY_H
