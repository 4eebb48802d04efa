// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SESSIONTEXT_H
#define SESSIONTEXT_H

// A recording as a mechanic or engineer reads it (tavrix-trace), and the
// polled item values as a spreadsheet table (tavrix-trace --csv).

#include "trace/traceparser.h"

#include <QStringList>

namespace trace {

QStringList sessionText(const ParseResult &recording, const QList<QString> &catalogue);
QStringList sessionCsv(const ParseResult &recording, const QList<QString> &catalogue);

} // namespace trace

#endif // SESSIONTEXT_H
