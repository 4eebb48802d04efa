// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALCSV_H
#define JOURNALCSV_H

// The chart's data as CSV, one row per value a Value cell showed, oldest
// first: time (ISO 8601 with milliseconds and the UTC offset), seconds since
// the start, item code, name, value, unit. UTF-8, a header row. The columns
// code, item, value and unit are those of tavrix-trace --csv.
#include <QString>
#include <QStringList>

class SessionJournal;

namespace JournalCsv {

QStringList lines(const SessionJournal &journal);
// Writes the lines to `path`; false with the reason in `error` when it
// cannot.
bool write(const SessionJournal &journal, const QString &path, QString *error);

} // namespace JournalCsv

#endif // JOURNALCSV_H
