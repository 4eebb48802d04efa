// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TRACEPARSER_H
#define TRACEPARSER_H

// Reads a .ktrace recording. Every input is untrusted: the parser stops at
// the first fault with the line it found it on, and never reads more than
// the limits allow. Pure over its input, so fuzzers can drive it.

#include "trace/traceevent.h"

class QIODevice;

namespace trace {

struct Header {
    int version = 0;
    QString program;
    QString programVersion;
    QString started;
};

struct ParseError {
    int line = 0; // 0: the file as a whole
    QString message;
};

struct ParseLimits {
    qint64 maxBytes = 64 * 1024 * 1024;
    int maxLineLength = 8192;
};

struct ParseResult {
    bool ok = false;
    Header header;
    QList<Event> events;
    bool ended = false; // the end mark was there
    int skipped = 0;    // records of a later format this reader does not know
    ParseError error;
};

ParseResult parse(QIODevice &device, const ParseLimits &limits = ParseLimits());
ParseResult parseBytes(const QByteArray &bytes, const ParseLimits &limits = ParseLimits());
ParseResult parseFile(const QString &path, const ParseLimits &limits = ParseLimits());

// "FILE:LINE: message", or "FILE: message" for the file as a whole.
QString errorText(const QString &fileName, const ParseError &error);

} // namespace trace

#endif // TRACEPARSER_H
