// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/reporttext.h"

#include "ecu/faultrows.h"
#include "journal/sessionjournal.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace ReportText {

namespace {
const char kTypeNames[FaultLedger::Families][5] = {"Auto", "Xmax"};
const char kKwpName[] = "Xmax (KWP 2000)";
const char kDateFormat[] = "d MMMM yyyy, HH:mm:ss";
const char kTimeFormat[] = "HH:mm:ss";
const char kBlank[] = "______________________________";

struct RowText {
    int code;
    const char *title;
};
// The fault rows as each family's table names them.
const RowText kRowTexts[FaultLedger::Families][FaultLedger::Rows] = {
    {{FaultRows::History, "Riwayat kode kesalahan terakhir (item 61)"},
     {FaultRows::Current, "Jumlah kode kesalahan tersimpan (item 62)"}},
    {{FaultRows::History, "Riwayat kode kesalahan (baris 61)"},
     {FaultRows::Current, "Kode kesalahan saat ini (baris 62)"}},
};

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString time(const SessionJournal &journal, qint64 ms)
{
    return journal.wallTime(ms).toString(QLatin1String(kTimeFormat));
}

// A code's explanation: its title, then its details a line each.
QString explanationHtml(const QString &text)
{
    const QStringList lines = explanationLines(text);
    if (lines.isEmpty())
        return QStringLiteral("<i>tidak ada keterangan</i>");
    QString html = QStringLiteral("<b>") + esc(lines.first()) + QStringLiteral("</b>");
    for (const QString &line : lines.mid(1))
        html += QStringLiteral("<br/>") + esc(line);
    return html;
}

// One fault row as read: the Auto count alone, or its codes as a table of
// code and explanation.
QString readingHtml(FaultLedger::Family family, FaultLedger::Row row, const FaultReading &reading)
{
    if (family == FaultLedger::Auto && row == FaultLedger::Current)
        return QStringLiteral("<p>") + QString::number(reading.count)
               + QStringLiteral(" kode tersimpan</p>");
    if (reading.codes.isEmpty())
        return QStringLiteral("<p>Tidak ada kode (") + QString::number(reading.count)
               + QStringLiteral(").</p>");
    QString html = QStringLiteral(
        "<table border='1' cellspacing='0' cellpadding='4' width='100%'>"
        "<tr><th width='15%'>Kode</th><th>Keterangan</th></tr>");
    for (const FaultCode &code : reading.codes)
        html += QStringLiteral("<tr><td valign='top'>") + esc(code.code)
                + QStringLiteral("</td><td>") + explanationHtml(code.text)
                + QStringLiteral("</td></tr>");
    return html + QStringLiteral("</table>");
}

// The same reading in a word or two, for before and after a clear.
QString readingBrief(FaultLedger::Family family, FaultLedger::Row row, const FaultReading &reading)
{
    if (!reading.read)
        return QStringLiteral("<i>tidak dibaca</i>");
    if (family == FaultLedger::Auto && row == FaultLedger::Current)
        return QString::number(reading.count) + QStringLiteral(" kode");
    if (reading.codes.isEmpty())
        return QStringLiteral("tidak ada kode");
    QStringList codes;
    for (const FaultCode &code : reading.codes)
        codes << esc(code.code);
    return codes.join(QStringLiteral(", "));
}

QString notRead(FaultLedger::Family family, FaultLedger::Row row)
{
    return QStringLiteral("<p><i>Tidak dibaca: ")
           + (family == FaultLedger::Auto ? QStringLiteral("item ") : QStringLiteral("baris "))
           + QString::number(kRowTexts[family][row].code)
           + QStringLiteral(" tidak dipilih dalam sesi ini.</i></p>");
}

bool anyRead(const FaultLedger &ledger, FaultLedger::Family family)
{
    return ledger.latest(family, FaultLedger::History).read
           || ledger.latest(family, FaultLedger::Current).read;
}

QString modelText(const SessionJournal &journal, FaultLedger::Family family)
{
    if (family == FaultLedger::Xmax) {
        const QStringList ids = journal.kwpIdentities();
        return QLatin1String(kKwpName)
               + (ids.isEmpty()
                      ? QStringLiteral(" (belum terhubung)")
                      : QStringLiteral(", identitas ECU: ") + ids.join(QStringLiteral(", ")));
    }
    const QStringList models = journal.autoModels();
    return models.isEmpty() ? QStringLiteral("belum dikenali (belum login)")
                            : models.join(QStringLiteral(", "));
}

QString faultSection(const SessionJournal &journal, FaultLedger::Family family)
{
    const FaultLedger &ledger = journal.faults();
    QString html = QStringLiteral("<h3>Kode kesalahan (") + QLatin1String(kTypeNames[family])
                   + QStringLiteral(")</h3>");
    for (int row = FaultLedger::Rows - 1; row >= 0; --row) {
        const auto r = FaultLedger::Row(row);
        const FaultReading &reading = ledger.latest(family, r);
        html += QStringLiteral("<h4>") + QLatin1String(kRowTexts[family][row].title);
        if (reading.read)
            html += QStringLiteral(" &mdash; dibaca pukul ") + time(journal, reading.ms);
        html += QStringLiteral("</h4>");
        html += reading.read ? readingHtml(family, r, reading) : notRead(family, r);
    }
    return html;
}

QString clearSection(const SessionJournal &journal)
{
    const QList<FaultLedger::Clear> &clears = journal.faults().clears();
    if (clears.isEmpty())
        return QString();
    QString html = QStringLiteral("<h3>Penghapusan kode kesalahan</h3>");
    for (const FaultLedger::Clear &clear : clears) {
        html += QStringLiteral("<p>Dihapus pukul ") + time(journal, clear.ms) + QStringLiteral(" (")
                + QLatin1String(kTypeNames[clear.family])
                + QStringLiteral(
                    "):</p><table border='1' cellspacing='0' cellpadding='4' "
                    "width='100%'><tr><th></th><th>Sebelum</th><th>Sesudah</th></tr>");
        for (int row = FaultLedger::Rows - 1; row >= 0; --row) {
            const auto r = FaultLedger::Row(row);
            html += QStringLiteral("<tr><td>") + QLatin1String(kRowTexts[clear.family][row].title)
                    + QStringLiteral("</td><td>") + readingBrief(clear.family, r, clear.before[row])
                    + QStringLiteral("</td><td>") + readingBrief(clear.family, r, clear.after[row])
                    + QStringLiteral("</td></tr>");
        }
        html += QStringLiteral("</table>");
    }
    return html;
}

QString valuesSection(const SessionJournal &journal)
{
    QList<int> codes = journal.codes();
    std::sort(codes.begin(), codes.end());
    QString html = QStringLiteral("<h3>Nilai terakhir yang dibaca</h3>");
    if (codes.isEmpty())
        return html + QStringLiteral("<p><i>Belum ada nilai yang dibaca.</i></p>");
    html += QStringLiteral(
        "<table border='1' cellspacing='0' cellpadding='3' width='100%'>"
        "<tr><th>Kode</th><th>Item</th><th>Nilai</th><th>Satuan</th>"
        "<th>Pukul</th></tr>");
    for (int code : codes) {
        const ItemHistory *item = journal.item(code);
        html += QStringLiteral("<tr><td>") + QString::number(code) + QStringLiteral("</td><td>")
                + esc(item->name()) + QStringLiteral("</td><td align='right'>")
                + esc(item->lastText()) + QStringLiteral("</td><td>") + esc(item->unit())
                + QStringLiteral("</td><td>") + time(journal, item->lastMs())
                + QStringLiteral("</td></tr>");
    }
    return html + QStringLiteral("</table>");
}
} // namespace

QStringList explanationLines(const QString &text)
{
    QStringList out;
    static const QRegularExpression parts(QStringLiteral("[\\n#]"));
    for (QString line : text.split(parts)) {
        line = line.simplified();
        if (line.startsWith(QLatin1Char('-')))
            line = line.mid(1).trimmed();
        if (!line.isEmpty())
            out << line;
    }
    return out;
}

QString html(const SessionJournal &journal, const QDateTime &madeAt)
{
    const QLocale indonesian(QLocale::Indonesian, QLocale::Indonesia);
    const FaultLedger::Family family = journal.family();
    QString html = QStringLiteral(
        "<html><body><h2>Laporan Diagnosa ECU</h2>"
        "<table cellpadding='3'>");
    const auto field = [&html](const QString &name, const QString &value) {
        html += QStringLiteral("<tr><td width='35%'>") + name + QStringLiteral("</td><td>") + value
                + QStringLiteral("</td></tr>");
    };
    field(QStringLiteral("Tanggal dan waktu"), indonesian.toString(madeAt, kDateFormat));
    field(QStringLiteral("Sesi dimulai"), indonesian.toString(journal.startedAt(), kDateFormat));
    field(QStringLiteral("Jenis kendaraan"), QLatin1String(kTypeNames[family]));
    field(QStringLiteral("Model ECU (hasil login)"), esc(modelText(journal, family)));
    field(QStringLiteral("Nama bengkel"), QLatin1String(kBlank));
    field(QStringLiteral("Nomor polisi"), QLatin1String(kBlank));
    field(QStringLiteral("Odometer (km)"), QLatin1String(kBlank));
    html += QStringLiteral("</table>");
    html += faultSection(journal, family);
    // Codes read under the other type earlier in the session are theirs too.
    const auto other = FaultLedger::Family(FaultLedger::Families - 1 - family);
    if (anyRead(journal.faults(), other))
        html += faultSection(journal, other);
    html += clearSection(journal);
    html += valuesSection(journal);
    html += QStringLiteral(
                "<p><small>Laporan ini berisi apa yang dibaca alat selama sesi ini "
                "saja.</small></p><p>Tanda tangan mekanik: ")
            + QLatin1String(kBlank) + QStringLiteral("</p></body></html>");
    return html;
}

} // namespace ReportText
