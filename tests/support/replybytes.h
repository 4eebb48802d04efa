// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPLYBYTES_H
#define REPLYBYTES_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Bytes written as tests write them: "fe,0,1c" (hex, any case, no padding
// needed); an empty text is no byte.
inline QByteArray replyBytes(const QString &text)
{
    QByteArray bytes;
    for (const QString &piece : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        bytes.append(char(piece.toInt(nullptr, 16)));
    return bytes;
}

#endif // REPLYBYTES_H
