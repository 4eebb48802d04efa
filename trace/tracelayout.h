// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TRACELAYOUT_H
#define TRACELAYOUT_H

// The field codes shared by the writer and the parser. After "<time> <name>"
// each event carries the fields its layout string lists, in order:
//   k  "ok" / "fail" (rc 0 / -1)      r  result code (decimal)
//   f  interface ANY, A, B, C, D      u  vendor:product, four hex digits each
//   1  a decimal number (arg1)        l  level 0 / 1 (arg1)
//   2  a decimal number (arg2)
//   b  data bits (arg1)               s  stop bits 1, 1.5, 2 (arg2)
//   p  parity N, O, E, M, S (arg3)    c  the name of a call (Error)
//   q  a quoted, percent-encoded text x  the rest: bytes, two hex digits each

#include "trace/traceevent.h"

namespace trace {

const char *layoutOf(Kind kind);
int interfaceIndex(const QByteArray &token); // -1 when unknown
int stopIndex(const QByteArray &token);
int parityIndex(const QByteArray &token);
QByteArray quoteText(const QByteArray &utf8);

} // namespace trace

#endif // TRACELAYOUT_H
