// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/sessiontext.h"

#include "auto/autoreply.h"
#include "ecu/diagvalue.h"
#include "ecu/linebytes.h"
#include "journal/csvtext.h"
#include "kwp/kwpreply.h"
#include "trace/autodecode.h"
#include "trace/exchanges.h"

namespace trace {

namespace {

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
        // Bytes as the application reads them: the echo, then the answer.
        const QByteArray bytes = x.request + replyBytes(x);
        if (x.request == KwpFrames::Hold.toByteArray())
            kwpHold(x, bytes);
        else if (x.request.size() == 1)
            autoReply(x, bytes);
    }

private:
    void row(const Exchange &x, int code, int raw)
    {
        rows << CsvText::row({QString::number(double(x.reply.first().readUs) / 1000.0, 'f', 3),
                              QString::number(code), itemName(catalogue_, code),
                              QString::number(raw, 16), DiagValue::convert(code, raw),
                              itemUnit(catalogue_, code)});
    }

    // Auto: the item code shown, then the value of the item shown.
    void autoReply(const Exchange &x, const QByteArray &bytes)
    {
        const AutoReply reply = AutoReply::parse(bytes);
        if (reply.showsCode())
            autoCode_ = reply.shown;
        else if (reply.isReading() && reply.showsValue() && autoCode_ >= 0)
            row(x, autoCode_, reply.shown);
    }

    // KWP: the hold routine's value report.
    void kwpHold(const Exchange &x, const QByteArray &bytes)
    {
        const KwpReply reply = KwpReply::parse(bytes, KwpFrames::Hold);
        if (reply.valueReport())
            row(x, reply.code, reply.raw);
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
