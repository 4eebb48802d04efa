// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/sessiontext.h"

#include "auto/autoreply.h"
#include "auto/diagvalue.h"
#include "kwp/kwpreply.h"
#include "link/linebytes.h"
#include "trace/autodecode.h"
#include "trace/exchanges.h"

namespace trace {

namespace {

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + quoted + '"';
}

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
        if (x.request == KwpFrames::Hold.toByteArray())
            kwpHold(x, f);
        else if (x.request.size() == 1)
            autoReply(x, f);
    }

private:
    void row(const Exchange &x, int code, const QString &raw)
    {
        const QString codeText = QString::number(code);
        rows << QStringList{QString::number(double(x.reply.first().readUs) / 1000.0, 'f', 3),
                            codeText,
                            csvField(itemName(catalogue_, code)),
                            raw,
                            DiagValue::convert(codeText, raw),
                            csvField(itemUnit(catalogue_, code))}
                    .join(QLatin1Char(','));
    }

    // Auto: the item code shown, then the value of the item shown.
    void autoReply(const Exchange &x, const QStringList &f)
    {
        const AutoReply reply = AutoReply::parse(f.join(QLatin1Char(',')) + QLatin1Char(','));
        if (reply.showsCode())
            autoCode_ = reply.shown;
        else if (reply.isReading() && reply.showsValue() && autoCode_ >= 0)
            row(x, autoCode_, reply.shownText);
    }

    // KWP: the hold routine's value report.
    void kwpHold(const Exchange &x, const QStringList &f)
    {
        const KwpReply reply = KwpReply::parse(f.join(QLatin1Char(',')), KwpFrames::Hold);
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
