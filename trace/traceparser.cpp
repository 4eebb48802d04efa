// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/traceparser.h"

#include "trace/tracelayout.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

namespace trace {

namespace {

constexpr int kMaxTimeDigits = 15; // about 31 years in microseconds

struct Fault {
    QString message;
};

// Decimal integer, optional leading "-", fitting an int.
int parseInt(const QByteArray &token, const char *what)
{
    bool ok = false;
    const int value = token.toInt(&ok, 10);
    if (!ok || token.isEmpty() || token.startsWith('+') || token.contains(' '))
        throw Fault{QString("bad %1 '%2'").arg(what, QString::fromLatin1(token))};
    return value;
}

qint64 parseTime(const QByteArray &token)
{
    bool digits = !token.isEmpty() && token.size() <= kMaxTimeDigits;
    for (char c : token)
        digits = digits && c >= '0' && c <= '9';
    if (!digits)
        throw Fault{QString("bad time '%1'").arg(QString::fromLatin1(token))};
    return token.toLongLong();
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

char parseByte(const QByteArray &token)
{
    const int hi = token.size() == 2 ? hexDigit(token[0]) : -1;
    const int lo = token.size() == 2 ? hexDigit(token[1]) : -1;
    if (hi < 0 || lo < 0)
        throw Fault{QString("bad byte '%1'").arg(QString::fromLatin1(token))};
    return char(hi * 16 + lo);
}

QByteArray parseQuoted(const QByteArray &token)
{
    if (token.size() < 2 || !token.startsWith('"') || !token.endsWith('"')
        || token.mid(1, token.size() - 2).contains('"'))
        throw Fault{QString("bad text '%1'").arg(QString::fromLatin1(token))};
    return QByteArray::fromPercentEncoding(token.mid(1, token.size() - 2));
}

void parseUsbId(const QByteArray &token, Event &e)
{
    const QList<QByteArray> parts = token.split(':');
    bool okV = false, okP = false;
    if (parts.size() == 2 && parts[0].size() == 4 && parts[1].size() == 4) {
        e.arg1 = parts[0].toInt(&okV, 16);
        e.arg2 = parts[1].toInt(&okP, 16);
    }
    if (!okV || !okP)
        throw Fault{QString("bad USB id '%1'").arg(QString::fromLatin1(token))};
}

int parseNamed(int index, const QByteArray &token, const char *what)
{
    if (index < 0)
        throw Fault{QString("bad %1 '%2'").arg(what, QString::fromLatin1(token))};
    return index;
}

void parseCall(const QByteArray &token, Event &e)
{
    if (!kindFromName(token, &e.call) || e.call == Kind::Error || e.call == Kind::End)
        throw Fault{QString("bad call name '%1'").arg(QString::fromLatin1(token))};
}

void parseBytesField(const QList<QByteArray> &tokens, int from, Event &e)
{
    for (int i = from; i < tokens.size(); ++i)
        e.bytes.append(parseByte(tokens[i]));
    const bool read = e.kind == Kind::Read;
    const bool fits = e.rc < 0 ? e.bytes.isEmpty() || !read
                               : (read ? e.rc == e.bytes.size() : e.rc <= e.bytes.size());
    if (!fits)
        throw Fault{QString("%1 bytes do not match the result %2").arg(e.bytes.size()).arg(e.rc)};
}

void parseKeyword(const QByteArray &token, Event &e)
{
    if (token != "ok" && token != "fail")
        throw Fault{QString("bad result '%1'").arg(QString::fromLatin1(token))};
    e.rc = token == "ok" ? 0 : -1;
}

// One field of the layout; returns false for the byte list, which takes the rest.
bool parseField(char code, const QByteArray &t, Event &e)
{
    switch (code) {
    case 'k': parseKeyword(t, e); break;
    case 'f': e.arg1 = parseNamed(interfaceIndex(t), t, "interface"); break;
    case 'u': parseUsbId(t, e); break;
    case '1': e.arg1 = parseInt(t, "number"); break;
    case '2': e.arg2 = parseInt(t, "number"); break;
    case 'b': e.arg1 = parseInt(t, "data bits"); break;
    case 's': e.arg2 = parseNamed(stopIndex(t), t, "stop bits"); break;
    case 'p': e.arg3 = parseNamed(parityIndex(t), t, "parity"); break;
    case 'l': e.arg1 = parseNamed(t == "0" ? 0 : t == "1" ? 1 : -1, t, "level"); break;
    case 'r': e.rc = parseInt(t, "result"); break;
    case 'q': e.texts.append(parseQuoted(t)); break;
    case 'c': parseCall(t, e); break;
    default: return false;
    }
    return true;
}

void parseFields(const QList<QByteArray> &tokens, Event &e)
{
    int i = 2;
    for (const char *code = layoutOf(e.kind); *code; ++code) {
        if (*code == 'x') {
            parseBytesField(tokens, i, e);
            return;
        }
        if (i >= tokens.size())
            throw Fault{
                QString("'%1' is missing fields").arg(QString::fromLatin1(kindName(e.kind)))};
        parseField(*code, tokens[i++], e);
    }
    if (i != tokens.size())
        throw Fault{QString("'%1' has extra fields").arg(QString::fromLatin1(kindName(e.kind)))};
}

void checkCharacters(const QByteArray &line)
{
    for (int i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c > 0x7e)
            throw Fault{QString("garbled line (byte 0x%1 at column %2)")
                            .arg(c, 2, 16, QLatin1Char('0'))
                            .arg(i + 1)};
    }
    if (line.isEmpty())
        throw Fault{"empty line"};
}

// A record a later format added: its name has a dot (docs/ktrace.md).
// Format 1 knew no such thing, so there a dot is damage like any other.
bool skippable(const QByteArray &name, int version)
{
    if (version < 2 || !name.contains('.') || name.startsWith('.') || name.endsWith('.'))
        return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            return false;
    return true;
}

// The event of the line; false for a record of a later format, skipped.
bool parseEvent(const QByteArray &line, qint64 previousUs, int version, Event &e)
{
    checkCharacters(line);
    const QList<QByteArray> tokens = line.split(' ');
    e.us = parseTime(tokens[0]);
    const bool known = tokens.size() >= 2 && kindFromName(tokens[1], &e.kind);
    if (!known && !skippable(tokens.value(1), version))
        throw Fault{QString("unknown event '%1'").arg(QString::fromLatin1(tokens.value(1)))};
    if (e.us < previousUs)
        throw Fault{QString("time goes backwards (%1 us after %2 us)").arg(e.us).arg(previousUs)};
    if (known)
        parseFields(tokens, e);
    return known;
}

Header parseHeader(const QByteArray &line)
{
    const QList<QByteArray> tokens = line.split(' ');
    if (tokens.value(0) != Magic)
        throw Fault{"not a ktrace recording (no KTRACE header)"};
    bool ok = false;
    Header h;
    h.version = tokens.value(1).toInt(&ok);
    if (!ok || tokens.size() != 5)
        throw Fault{"bad KTRACE header"};
    if (h.version > FormatVersion)
        throw Fault{QString("ktrace format version %1 comes from a newer Tavrix (this reader "
                            "knows %2 to %3): read it with a newer tavrix-trace")
                        .arg(h.version)
                        .arg(OldestFormatVersion)
                        .arg(FormatVersion)};
    if (h.version < OldestFormatVersion)
        throw Fault{QString("bad ktrace format version %1").arg(h.version)};
    h.program = QString::fromUtf8(QByteArray::fromPercentEncoding(tokens[2]));
    h.programVersion = QString::fromUtf8(QByteArray::fromPercentEncoding(tokens[3]));
    h.started = QString::fromUtf8(QByteArray::fromPercentEncoding(tokens[4]));
    return h;
}

// Reads one line without its newline; faults when it is cut or too long.
QByteArray nextLine(QIODevice &device, const ParseLimits &limits, qint64 &total)
{
    QByteArray line = device.readLine(qint64(limits.maxLineLength) + 2);
    total += line.size();
    if (total > limits.maxBytes)
        throw Fault{QString("too large (more than %1 bytes)").arg(limits.maxBytes)};
    if (!line.endsWith('\n')) {
        if (line.size() > limits.maxLineLength)
            throw Fault{
                QString("line too long (more than %1 characters)").arg(limits.maxLineLength)};
        throw Fault{"truncated line (no end of line)"};
    }
    line.chop(1);
    if (line.size() > limits.maxLineLength)
        throw Fault{QString("line too long (more than %1 characters)").arg(limits.maxLineLength)};
    return line;
}

void parseBody(QIODevice &device, const ParseLimits &limits, ParseResult &r, int &lineNo)
{
    qint64 total = 0;
    if (device.atEnd())
        throw Fault{"empty file, not a ktrace recording"};
    lineNo = 1;
    r.header = parseHeader(nextLine(device, limits, total));
    qint64 previousUs = 0;
    while (!device.atEnd()) {
        ++lineNo;
        const QByteArray line = nextLine(device, limits, total);
        if (r.ended)
            throw Fault{"event after the end mark"};
        Event e;
        if (!parseEvent(line, previousUs, r.header.version, e)) {
            ++r.skipped;
            previousUs = e.us;
            continue;
        }
        e.line = lineNo;
        previousUs = e.us;
        r.ended = e.kind == Kind::End;
        r.events.append(e);
    }
}

} // namespace

ParseResult parse(QIODevice &device, const ParseLimits &limits)
{
    ParseResult r;
    int lineNo = 0;
    try {
        if (!device.isSequential() && device.size() > limits.maxBytes)
            throw Fault{QString("too large (%1 bytes, at most %2)")
                            .arg(device.size())
                            .arg(limits.maxBytes)};
        parseBody(device, limits, r, lineNo);
        r.ok = true;
    } catch (const Fault &f) {
        r.events.clear();
        r.error = {lineNo, f.message};
    }
    return r;
}

ParseResult parseBytes(const QByteArray &bytes, const ParseLimits &limits)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return parse(buffer, limits);
}

namespace {

// What keeps a path from being read as a recording; empty when nothing does.
// Devices and pipes are refused before opening: a pipe would block the open.
QString unreadable(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return "is a folder, not a ktrace recording";
    if (info.exists() && !info.isFile())
        return "is not a regular file, not a ktrace recording";
    return QString();
}

} // namespace

ParseResult parseFile(const QString &path, const ParseLimits &limits)
{
    ParseResult r;
    r.error.message = unreadable(path);
    if (!r.error.message.isEmpty())
        return r;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.error.message = "cannot open: " + file.errorString();
        return r;
    }
    return parse(file, limits);
}

QString errorText(const QString &fileName, const ParseError &error)
{
    if (error.line <= 0)
        return fileName + ": " + error.message;
    return QString("%1:%2: %3").arg(fileName).arg(error.line).arg(error.message);
}

} // namespace trace
