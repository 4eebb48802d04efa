// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/exchanges.h"

namespace trace {

QByteArray EchoFilter::received(const QByteArray &bytes, int *echoed, QByteArray *late)
{
    QByteArray ecu;
    int echo = 0;
    // A late answer waits in the adapter and is read ahead of the next
    // request's echo. Without this, the first byte that is not echo would
    // end the wait for it, and the echo itself would pass for ECU bytes.
    const int echoAt = pending_.isEmpty() ? -1 : int(bytes.indexOf(pending_));
    if (echoAt > 0)
        (late ? *late : ecu) = bytes.left(echoAt);
    for (char b : bytes.mid(qMax(echoAt, 0))) {
        if (!pending_.isEmpty() && pending_.at(0) == b) {
            pending_.remove(0, 1);
            ++echo;
            continue;
        }
        // Not our echo: the adapter lost it, or the ECU talks. Stop waiting for it.
        pending_.clear();
        ecu.append(b);
    }
    if (echoed)
        *echoed = echo;
    return ecu;
}

namespace {

struct Builder {
    QList<Exchange> out;
    EchoFilter echo;
    bool inRequest = false;
    qint64 lastReadUs = -1;

    void write(const Event &e)
    {
        const QByteArray sent = e.rc > 0 ? e.bytes.left(e.rc) : QByteArray();
        if (sent.isEmpty())
            return; // a failed write put nothing on the line
        if (!inRequest || e.us - out.last().lastWriteUs > IdleGapUs) {
            Exchange x;
            x.line = e.line;
            x.firstWriteUs = e.us;
            out.append(x);
        }
        out.last().request += sent;
        out.last().lastWriteUs = e.us;
        echo.sent(sent);
        inRequest = true;
    }

    void read(const Event &e)
    {
        inRequest = false;
        // Bytes before the echo answer the request before this one: they came
        // after its last read. With no request before, they are the ECU's all the same.
        QByteArray late;
        const QByteArray ecu =
            e.rc > 0 ? echo.received(e.bytes, nullptr, out.size() >= 2 ? &late : nullptr)
                     : QByteArray();
        if (!late.isEmpty())
            out[out.size() - 2].reply.append({e.line, e.us, lastReadUs, late});
        if (!ecu.isEmpty()) {
            if (out.isEmpty())
                out.append(Exchange());
            Exchange &x = out.last();
            x.reply.append({e.line, e.us, qMax(lastReadUs, x.lastWriteUs), ecu});
        }
        lastReadUs = e.us;
    }

    void feed(const Event &e)
    {
        switch (e.kind) {
        case Kind::Write: write(e); break;
        case Kind::Read: read(e); break;
        case Kind::Open:
            echo.reset();
            inRequest = false;
            break;
        case Kind::Dtr:
        case Kind::Baud:
        case Kind::Line:
        case Kind::Close: inRequest = false; break;
        default: break;
        }
    }
};

} // namespace

QList<Exchange> exchanges(const QList<Event> &events)
{
    Builder b;
    for (const Event &e : events)
        b.feed(e);
    return b.out;
}

} // namespace trace
