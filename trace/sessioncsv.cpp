// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/sessiontext.h"

#include "app/csvtext.h"
#include "trace/autodecode.h"
#include "trace/exchanges.h"
#include "trace/itemvalue.h"

namespace trace {

namespace {

// cmdHold: report the item the ECU is positioned at.
const QByteArray kKwpHold = QByteArray::fromHex("8310F03170CAEE");
constexpr int kKwpValueMarker = 0xD0;

QByteArray replyBytes(const Exchange &x)
{
    QByteArray bytes;
    for (const ReplyChunk &c : x.reply)
        bytes += c.bytes;
    return bytes;
}

class CsvBuilder
{
public:
    explicit CsvBuilder(const QList<QString> &catalogue) : catalogue_(catalogue) {}
    QStringList rows;

    void exchange(const Exchange &x)
    {
        if (x.reply.isEmpty())
            return;
        // Fields as the application reads them: the echo, then the answer.
        const QStringList f = replyFields(x.request + replyBytes(x));
        if (x.request == kKwpHold)
            kwpHold(x, f);
        else if (x.request.size() == 1)
            autoReply(x, f);
    }

private:
    void row(const Exchange &x, int code, const QString &raw)
    {
        const QString codeText = QString::number(code);
        rows << CsvText::row({QString::number(double(x.reply.first().readUs) / 1000.0, 'f', 3),
                              codeText, itemName(catalogue_, code), raw,
                              convertItemValue(codeText, raw), itemUnit(catalogue_, code)});
    }

    // Auto: a status of 40/c0 shows an item code, 0/80 the value of the item shown.
    void autoReply(const Exchange &x, const QStringList &f)
    {
        const int n = f.size();
        const QString status = n >= 3 ? f.at(n - 3) : QString();
        if (status == "40" || status == "c0")
            autoCode_ = f.at(n - 2).toInt(nullptr, 16);
        else if (n == 6 && (status == "0" || status == "80") && autoCode_ >= 0)
            row(x, autoCode_, f.at(4));
    }

    // KWP: marker D0 at size-6, item code at size-5, raw value at size-4.
    void kwpHold(const Exchange &x, const QStringList &f)
    {
        const int n = f.size();
        if (n > 6 && f.at(n - 6).toInt(nullptr, 16) == kKwpValueMarker)
            row(x, f.at(n - 5).toInt(nullptr, 16), f.at(n - 4));
    }

    const QList<QString> &catalogue_;
    int autoCode_ = -1;
};

} // namespace

QStringList sessionCsv(const ParseResult &recording, const QList<QString> &catalogue)
{
    CsvBuilder b(catalogue);
    b.rows << "time_ms,code,item,raw,value,unit";
    for (const Exchange &x : exchanges(recording.events))
        b.exchange(x);
    return b.rows;
}

} // namespace trace
