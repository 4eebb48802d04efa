// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef EXCHANGES_H
#define EXCHANGES_H

// The recording seen as the K-line saw it: requests the tester wrote and the
// bytes the ECU sent back. The adapter hears its own transmissions, so every
// recorded read starts with the echo of what was written; EchoFilter takes
// the echo out and leaves the ECU's bytes.

#include "trace/traceevent.h"

namespace trace {

// Writes closer together than this belong to one request frame.
constexpr qint64 IdleGapUs = 5000;

class EchoFilter
{
public:
    void sent(const QByteArray &bytes) { pending_ += bytes; }
    // The bytes of a read that are not echo, in order. With `late`, the ECU
    // bytes that stood before the whole echo of a request go there instead:
    // an answer that came after the tester's read, to the request before.
    QByteArray received(const QByteArray &bytes, int *echoed = nullptr, QByteArray *late = nullptr);
    void reset() { pending_.clear(); }

private:
    QByteArray pending_; // written, not yet heard back
};

struct ReplyChunk {
    int line = 0; // the read that brought it
    qint64 readUs = 0;
    qint64 notBeforeUs = 0; // the last read before it that had not seen it
    QByteArray bytes;       // ECU bytes only
};

struct Exchange {
    int line = 0; // first write of the request (0: ECU bytes before any request)
    qint64 firstWriteUs = 0;
    qint64 lastWriteUs = 0;
    QByteArray request;
    QList<ReplyChunk> reply;
};

QList<Exchange> exchanges(const QList<Event> &events);

} // namespace trace

#endif // EXCHANGES_H
