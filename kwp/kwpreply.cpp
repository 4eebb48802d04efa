// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwpreply.h"

namespace KwpReply {

namespace {
constexpr int kMarkerFromEnd = 6;
constexpr int kCodeFromEnd = 5;
constexpr int kRawFromEnd = 4;
constexpr int kCoMarkerAt = 12;
constexpr int kCoReportMinItems = 15; // the echo, the header and the report's first bytes
constexpr int kRpmHighAt = 15;
constexpr int kRpmLowAt = 16;
constexpr int kCoMinItems = 17;
constexpr int kDtcSidAt = 11;
constexpr int kDtcCountAt = 12;
constexpr int kDtcFirstRecordAt = 13;
constexpr int kDtcRecordSize = 3;
constexpr int kDtcMinItems = 14;
constexpr int kServiceAt = 3; // format, target, source, service
constexpr int kPositiveOffset = 0x40;
} // namespace

QStringList items(const QString &reply)
{
    QString text = reply;
    if (text.endsWith(QLatin1Char(',')))
        text.chop(1);
    return text.split(QLatin1Char(','));
}

int byteCount(const QString &cmd)
{
    return cmd.split(QLatin1Char(',')).size();
}

int sumcmd(const QStringList &items, const QString &cmd)
{
    return items.size() - byteCount(cmd);
}

bool echoOnly(const QStringList &items, const QString &cmd)
{
    return items.size() == byteCount(cmd);
}

bool positiveAnswer(const QStringList &items, const QString &cmd)
{
    // The answer follows the echo of the request; bytes of an answer that
    // came late may stand before that echo.
    const QStringList request = cmd.split(QLatin1Char(','));
    QList<int> echo;
    for (const QString &piece : request)
        echo << piece.toInt(nullptr, 16);
    for (int start = items.size() - echo.size(); start >= 0; --start) {
        bool match = true;
        for (int k = 0; k < echo.size() && match; ++k)
            match = hexAt(items, start + k) == echo[k];
        if (match)
            return hexAt(items, start + echo.size() + kServiceAt)
                   == echo.value(kServiceAt) + kPositiveOffset;
    }
    return false;
}

int hexAt(const QStringList &items, int index)
{
    bool ok = false;
    const int value = items.value(index).toInt(&ok, 16);
    return ok ? value : 0;
}

ItemReport itemReport(const QStringList &items)
{
    ItemReport report;
    const int size = items.size();
    if (size <= kMarkerFromEnd)
        return report;
    report.present = true;
    report.marker = hexAt(items, size - kMarkerFromEnd);
    report.code = hexAt(items, size - kCodeFromEnd);
    report.raw = items.value(size - kRawFromEnd);
    return report;
}

bool isCoReport(const QStringList &items)
{
    return items.size() >= kCoReportMinItems && hexAt(items, kCoMarkerAt) == CoReport;
}

int coRpm(const QStringList &items)
{
    if (items.size() < kCoMinItems || !isCoReport(items))
        return -1;
    return hexAt(items, kRpmHighAt) * 256 + hexAt(items, kRpmLowAt);
}

bool isDtcAnswer(const QStringList &items)
{
    return items.size() >= kDtcMinItems && hexAt(items, kDtcSidAt) == DtcPositive;
}

int dtcCount(const QStringList &items, int rowCode)
{
    const int divisor = rowCode - 60;
    return divisor > 0 ? hexAt(items, kDtcCountAt) / divisor : 0;
}

QString dtcCode(const QString &high, const QString &low)
{
    return high.rightJustified(2, QLatin1Char('0')) + low.rightJustified(2, QLatin1Char('0'));
}

int dtcIndex(const QString &fourDigits)
{
    bool ok = false;
    const int index = fourDigits.toInt(&ok, 10);
    return ok && index >= 0 ? index : 0;
}

QString dtcListing(const QStringList &items, int rowCode, int count, const QList<QString> &texts)
{
    QString text = rowCode == 61 ? QStringLiteral("Info: History kode kesalahan:\n")
                                 : QStringLiteral("Info: Daftar kode kesalahan:\n");
    // A count beyond what arrived lists the whole records only.
    const int whole = qMax(0, (items.size() - kDtcFirstRecordAt) / kDtcRecordSize);
    const int shown = qMin(count, whole);
    for (int k = 0; k < shown; ++k) {
        const int at = kDtcFirstRecordAt + kDtcRecordSize * k;
        const QString code = dtcCode(items.value(at), items.value(at + 1));
        text += QLatin1Char('P') + code + QStringLiteral(": ") + texts.value(dtcIndex(code))
                + QLatin1Char('\n');
    }
    return text;
}

} // namespace KwpReply
