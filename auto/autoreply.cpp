// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autoreply.h"

#include <QStringList>

namespace {
int byteAt(const QStringList &fields, int index)
{
    bool ok = false;
    const int value = fields.value(index).toInt(&ok, 16);
    return ok && index >= 0 ? value : -1;
}
} // namespace

AutoReply AutoReply::parse(const QString &text)
{
    QStringList fields = text.split(QLatin1Char(','));
    fields.removeLast(); // the empty piece behind the final comma
    AutoReply reply;
    const int n = fields.size();
    reply.size = n;
    reply.first = byteAt(fields, 0);
    reply.last = byteAt(fields, n - 1);
    reply.status = byteAt(fields, n - 3);
    reply.shown = byteAt(fields, n - 2);
    reply.shownText = n >= 2 ? fields.at(n - 2) : QString();
    if (reply.isReading())
        reply.speedCount = byteAt(fields, 1);
    return reply;
}
