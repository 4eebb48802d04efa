// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/kwpdecode.h"

#include "trace/traceevent.h"

#include <cstdint>

namespace trace {

namespace {

struct Service {
    std::uint8_t sid;
    const char *name;
};

const Service kServices[] = {
    {0x81, "StartCommunication"},
    {0x10, "StartDiagnosticSession"},
    {0x21, "ReadDataByLocalIdentifier"},
    {0x31, "StartRoutineByLocalIdentifier"},
    {0x3E, "TesterPresent"},
    {0x18, "ReadDiagnosticTroubleCodesByStatus"},
    {0x14, "ClearDiagnosticInformation"},
};

constexpr std::uint8_t kNegativeResponse = 0x7F;
constexpr std::uint8_t kResponseBit = 0x40;
constexpr int kOverhead = 4; // format, target, source, checksum

QString hex2(std::uint8_t b)
{
    return QString("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

const char *knownName(std::uint8_t sid)
{
    for (const Service &s : kServices)
        if (s.sid == sid)
            return s.name;
    return nullptr;
}

// Length of the frame starting at `at`, 0 when no frame starts there.
int frameLength(const QByteArray &bytes, int at)
{
    const auto format = static_cast<std::uint8_t>(bytes.at(at));
    const int n = format & 0x3F;
    if ((format & 0x80) == 0 || n == 0)
        return 0;
    return n + kOverhead;
}

KwpFrame makeFrame(const QByteArray &raw)
{
    KwpFrame f;
    f.raw = raw;
    auto at = [&raw](int i) { return static_cast<std::uint8_t>(raw.at(i)); };
    f.format = at(0);
    f.target = at(1);
    f.source = at(2);
    f.sid = at(3);
    f.data = raw.mid(4, raw.size() - 5);
    f.checksum = at(raw.size() - 1);
    for (int i = 0; i + 1 < raw.size(); ++i)
        f.sum = std::uint8_t(f.sum + at(i));
    f.checksumOk = f.sum == f.checksum;
    return f;
}

} // namespace

QList<KwpFrame> splitKwp(const QByteArray &bytes, QByteArray *rest)
{
    QList<KwpFrame> frames;
    int at = 0;
    while (at < bytes.size()) {
        const int len = frameLength(bytes, at);
        if (len == 0 || at + len > bytes.size())
            break;
        frames.append(makeFrame(bytes.mid(at, len)));
        at += len;
    }
    if (rest)
        *rest = bytes.mid(at);
    return frames;
}

bool isKwpFrame(const QByteArray &bytes)
{
    QByteArray rest;
    return bytes.size() >= 5 && splitKwp(bytes, &rest).size() == 1 && rest.isEmpty();
}

QString serviceName(std::uint8_t sid)
{
    if (sid == kNegativeResponse)
        return "negative response";
    if (const char *name = knownName(sid))
        return name;
    if ((sid & kResponseBit) != 0)
        if (const char *name = knownName(std::uint8_t(sid - kResponseBit)))
            return QString(name) + " response";
    return "unknown service";
}

QString describeKwp(const KwpFrame &f)
{
    QString text =
        QString("KWP %1 %2<-%3 %4 (%5)")
            .arg(hex2(f.format), hex2(f.target), hex2(f.source), serviceName(f.sid), hex2(f.sid));
    if (f.sid == kNegativeResponse && f.data.size() >= 2) {
        const auto rejected = static_cast<std::uint8_t>(f.data.at(0));
        text += QString(" to %1 (%2), code %3")
                    .arg(serviceName(rejected), hex2(rejected),
                         hex2(static_cast<std::uint8_t>(f.data.at(1))));
    } else if (!f.data.isEmpty()) {
        text += ' ' + hexBytes(f.data);
    }
    text += f.checksumOk ? QString(", checksum %1 ok").arg(hex2(f.checksum))
                         : QString(", checksum %1 BAD (sum %2)").arg(hex2(f.checksum), hex2(f.sum));
    return text;
}

QString describeKwpRest(const QByteArray &rest)
{
    const int len = rest.isEmpty() ? 0 : frameLength(rest, 0);
    if (len > rest.size())
        return QString("KWP frame cut short (%1 of %2 bytes)").arg(rest.size()).arg(len);
    return "bytes outside a KWP frame";
}

} // namespace trace
