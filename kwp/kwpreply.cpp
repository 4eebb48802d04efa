// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwpreply.h"

namespace {
constexpr int kMarkerFromEnd = 6;
constexpr int kCodeFromEnd = 5;
constexpr int kRawFromEnd = 4;
constexpr int kServiceAt = 3; // format, target, source, service
constexpr int kCoMarkerAt = 12;
constexpr int kCoReportMinItems = 15; // the echo, the header and the report's first bytes
constexpr int kRpmHighAt = 15;
constexpr int kRpmLowAt = 16;
constexpr int kRpmMinItems = 17;
constexpr int kFaultSidAt = 11;
constexpr int kFaultCountAt = 12;
constexpr int kFirstFaultAt = 13;
constexpr int kFaultRecordSize = 3; // high byte, low byte, status
constexpr int kFaultMinItems = 14;

int hexAt(const QStringList &items, int index)
{
    bool ok = false;
    const int value = items.value(index).toInt(&ok, 16);
    return ok ? value : 0;
}

// The service byte of the answer behind the last whole echo of `sent`
// (bytes of an answer that came late may stand before that echo).
int answerService(const QStringList &items, const KwpFrame &sent)
{
    for (int start = items.size() - sent.size; start >= 0; --start) {
        bool match = true;
        for (int k = 0; k < sent.size && match; ++k)
            match = hexAt(items, start + k) == sent.bytes[k];
        if (!match)
            continue;
        const int at = start + sent.size + kServiceAt;
        return at < items.size() ? hexAt(items, at) : -1;
    }
    return -1;
}

QString faultDigits(const QString &high, const QString &low)
{
    return high.rightJustified(2, QLatin1Char('0')) + low.rightJustified(2, QLatin1Char('0'));
}

// The catalogue index of a code: its four digits read as a decimal number;
// digits a to f make it 0.
int faultIndex(const QString &digits)
{
    bool ok = false;
    const int index = digits.toInt(&ok, 10);
    return ok && index >= 0 ? index : 0;
}
} // namespace

KwpReply KwpReply::parse(const QString &text, const KwpFrame &sent)
{
    KwpReply r;
    QString trimmed = text;
    if (trimmed.endsWith(QLatin1Char(',')))
        trimmed.chop(1);
    r.items = trimmed.split(QLatin1Char(','));
    r.size = r.items.size();
    r.beyondEcho = r.size - sent.size;
    r.echoOnly = r.size == sent.size;
    r.service = answerService(r.items, sent);
    r.positive = r.service == sent.service() + KwpFrames::PositiveOffset;

    r.hasReport = r.size > kMarkerFromEnd;
    if (r.hasReport) {
        r.marker = hexAt(r.items, r.size - kMarkerFromEnd);
        r.code = hexAt(r.items, r.size - kCodeFromEnd);
        r.raw = r.items.value(r.size - kRawFromEnd);
    }

    r.coReport = r.size >= kCoReportMinItems && hexAt(r.items, kCoMarkerAt) == CoReport;
    if (r.coReport && r.size >= kRpmMinItems)
        r.rpm = hexAt(r.items, kRpmHighAt) * 256 + hexAt(r.items, kRpmLowAt);

    r.faultAnswer = r.size >= kFaultMinItems && hexAt(r.items, kFaultSidAt) == FaultsPositive;
    if (r.faultAnswer) {
        r.faultCount = hexAt(r.items, kFaultCountAt);
        const int whole = (r.size - kFirstFaultAt) / kFaultRecordSize;
        for (int k = 0; k < whole && k < r.faultCount; ++k) {
            const int at = kFirstFaultAt + kFaultRecordSize * k;
            const QString digits = faultDigits(r.items.at(at), r.items.at(at + 1));
            r.faults.append({digits, faultIndex(digits)});
        }
    }
    return r;
}
