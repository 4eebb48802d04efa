// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalcsv.h"

#include "journal/csvtext.h"
#include "journal/sessionjournal.h"

#include <QSaveFile>
#include <QVector>

#include <algorithm>
#include <tuple>

namespace JournalCsv {

namespace {
const char kHeader[] = "time,seconds,code,item,value,unit";

struct Row {
    qint64 ms;
    int order; // the item's place in the journal: equal times keep it
    int index; // the value's place in its item: equal times of one item keep it
    const ItemHistory *item;
    double value;
};

QString isoTime(const SessionJournal &journal, qint64 ms)
{
    const QDateTime at = journal.wallTime(ms);
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs);
}
} // namespace

QStringList lines(const SessionJournal &journal)
{
    QVector<Row> rows;
    const QList<int> codes = journal.codes();
    for (int order = 0; order < codes.size(); ++order) {
        const ItemHistory *item = journal.item(codes[order]);
        const SampleRing &samples = item->samples();
        for (int i = 0; i < samples.size(); ++i) {
            if (!samples.at(i).isGap())
                rows.append({samples.at(i).ms, order, i, item, samples.at(i).value});
        }
    }
    // A total order, so that no stable sort (and no temporary buffer) is needed.
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        return std::tie(a.ms, a.order, a.index) < std::tie(b.ms, b.order, b.index);
    });
    QStringList out{QLatin1String(kHeader)};
    out.reserve(rows.size() + 1);
    for (const Row &row : rows) {
        // The cells show 'g' with six digits; so does the file.
        out << CsvText::row({isoTime(journal, row.ms), QString::number(row.ms / 1000.0, 'f', 3),
                             QString::number(row.item->code()), row.item->name(),
                             QString::number(row.value, 'g', 6), row.item->unit()});
    }
    return out;
}

bool write(const SessionJournal &journal, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    for (const QString &line : lines(journal))
        file.write((line + QLatin1Char('\n')).toUtf8());
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace JournalCsv
