// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autoreply.h"

namespace {
int byteAt(const QByteArray &bytes, int index)
{
    return index >= 0 && index < bytes.size() ? static_cast<unsigned char>(bytes.at(index)) : -1;
}
} // namespace

AutoReply AutoReply::parse(const QByteArray &bytes)
{
    AutoReply reply;
    const int n = bytes.size();
    reply.size = n;
    reply.first = byteAt(bytes, 0);
    reply.last = byteAt(bytes, n - 1);
    reply.status = byteAt(bytes, n - 3);
    reply.shown = byteAt(bytes, n - 2);
    if (reply.isReading())
        reply.speedCount = byteAt(bytes, 1);
    return reply;
}
