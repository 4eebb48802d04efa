// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CSVTEXT_H
#define CSVTEXT_H

// Comma-separated text as spreadsheets read it (RFC 4180): a field that
// holds a comma, a quote or a line break goes in quotes, its quotes doubled.
// QtCore only: the window's CSV and tavrix-trace --csv both write with it.
#include <QString>
#include <QStringList>

namespace CsvText {

inline QString field(const QString &text)
{
    const bool plain = !text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
                       && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
    if (plain)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// One line without its line end; each field quoted where it needs it.
inline QString row(const QStringList &fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString &f : fields)
        out << field(f);
    return out.join(QLatin1Char(','));
}

} // namespace CsvText

#endif // CSVTEXT_H
