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

// The service byte of the answer behind the last whole echo of `sent`
// (bytes of an answer that came late may stand before that echo).
int answerService(const KwpReply &r, const KwpFrame &sent)
{
    for (int start = r.size - sent.size; start >= 0; --start) {
        bool match = true;
        for (int k = 0; k < sent.size && match; ++k)
            match = r.item(start + k) == sent.bytes[k];
        if (!match)
            continue;
        const int at = start + sent.size + kServiceAt;
        return at < r.size ? r.item(at) : -1;
    }
    return -1;
}

// A code's four digits as the ECU sent its two bytes: "0113".
QString faultDigits(int high, int low)
{
    return QString::number(high, 16).rightJustified(2, QLatin1Char('0'))
           + QString::number(low, 16).rightJustified(2, QLatin1Char('0'));
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

KwpReply KwpReply::parse(const QByteArray &bytes, const KwpFrame &sent)
{
    KwpReply r;
    r.bytes = bytes;
    r.size = bytes.isEmpty() ? 1 : int(bytes.size());
    r.beyondEcho = r.size - sent.size;
    r.echoOnly = r.size == sent.size;
    r.service = answerService(r, sent);
    r.positive = r.service == sent.service() + KwpFrames::PositiveOffset;

    r.hasReport = r.size > kMarkerFromEnd;
    if (r.hasReport) {
        r.marker = r.item(r.size - kMarkerFromEnd);
        r.code = r.item(r.size - kCodeFromEnd);
        r.raw = r.item(r.size - kRawFromEnd);
    }

    r.coReport = r.size >= kCoReportMinItems && r.item(kCoMarkerAt) == CoReport;
    if (r.coReport && r.size >= kRpmMinItems)
        r.rpm = r.item(kRpmHighAt) * 256 + r.item(kRpmLowAt);

    if (sent == KwpFrames::ReadLocalIdFE && r.positive) {
        // From behind "61 fe" to the checksum, the last byte.
        for (int i = sent.size; i + 1 < r.size; ++i) {
            if (r.item(i) != sent.service() + KwpFrames::PositiveOffset
                || r.item(i + 1) != sent.bytes[4])
                continue;
            for (int k = i + 2; k + 1 < r.size; ++k)
                r.localId.append(char(r.item(k)));
            break;
        }
    }

    r.faultAnswer = r.size >= kFaultMinItems && r.item(kFaultSidAt) == FaultsPositive;
    if (r.faultAnswer) {
        r.faultCount = r.item(kFaultCountAt);
        const int whole = (r.size - kFirstFaultAt) / kFaultRecordSize;
        for (int k = 0; k < whole && k < r.faultCount; ++k) {
            const int at = kFirstFaultAt + kFaultRecordSize * k;
            const QString digits = faultDigits(r.item(at), r.item(at + 1));
            r.faults.append({digits, faultIndex(digits)});
        }
    }
    return r;
}
