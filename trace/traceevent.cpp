// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/traceevent.h"

#include "trace/tracelayout.h"

namespace trace {

namespace {

struct KindEntry {
    Kind kind;
    const char *name;
    const char *layout; // field codes, see tracelayout.h
};

// The order of the fields after "<time> <name>" for every event.
const KindEntry kKinds[] = {
    {Kind::New, "new", "k"},           {Kind::Interface, "interface", "fr"},
    {Kind::Open, "open", "ur"},        {Kind::Baud, "baud", "1r"},
    {Kind::Line, "line", "bspr"},      {Kind::Dtr, "dtr", "lr"},
    {Kind::Write, "write", "rx"},      {Kind::Read, "read", "rx"},
    {Kind::Close, "close", "r"},       {Kind::Free, "free", ""},
    {Kind::FindAll, "findall", "ur"},  {Kind::Strings, "strings", "rqqq"},
    {Kind::ListFree, "listfree", ""},  {Kind::ErrorText, "errstr", "q"},
    {Kind::Error, "error", "crq"},     {Kind::End, "end", ""},
    {Kind::UiType, "ui.type", "1"},    {Kind::UiRow, "ui.row", "12"},
    {Kind::UiAction, "ui.action", ""}, {Kind::UiCo, "ui.co", "l"},
    {Kind::UiUp, "ui.up", ""},         {Kind::UiDown, "ui.down", ""},
    {Kind::UiCyl, "ui.cyl", "1"},      {Kind::UiMenu, "ui.menu", "q"},
    {Kind::UiClose, "ui.close", ""},   {Kind::UiStatus, "ui.status", "q"},
    {Kind::UiCable, "ui.cable", "q"},  {Kind::UiInfo, "ui.info", "q"},
    {Kind::UiValue, "ui.value", "1q"}, {Kind::UiWatch, "ui.watch", "1"},
};

const char *const kInterfaces[] = {"ANY", "A", "B", "C", "D"};
const char *const kStops[] = {"1", "1.5", "2"};
const char *const kParities[] = {"N", "O", "E", "M", "S"};
const char kHex[] = "0123456789ABCDEF";
// Left readable in texts; blanks, quotes, "%" and all else are percent-encoded.
const char kPlainPunctuation[] = ":/()+,;=!*'@$&[]<>?#^|~{}";

QByteArray encodeText(const QByteArray &utf8)
{
    return utf8.toPercentEncoding(kPlainPunctuation);
}

const KindEntry *entryOf(Kind kind)
{
    for (const KindEntry &e : kKinds)
        if (e.kind == kind)
            return &e;
    return nullptr;
}

QByteArray nameAt(const char *const *names, int count, int index)
{
    return index >= 0 && index < count ? QByteArray(names[index]) : QByteArray::number(index);
}

void appendHex(QByteArray &out, const QByteArray &bytes)
{
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += ' ';
        out += kHex[b >> 4];
        out += kHex[b & 0x0f];
    }
}

QByteArray usbId(int vendor, int product)
{
    return QByteArray::number(vendor & 0xffff, 16).rightJustified(4, '0') + ':'
           + QByteArray::number(product & 0xffff, 16).rightJustified(4, '0');
}

void appendField(QByteArray &out, char code, const Event &e, int &textIndex)
{
    switch (code) {
    case 'k': out += e.rc == 0 ? " ok" : " fail"; break;
    case 'f': out += ' ' + nameAt(kInterfaces, 5, e.arg1); break;
    case 'u': out += ' ' + usbId(e.arg1, e.arg2); break;
    case '1': out += ' ' + QByteArray::number(e.arg1); break;
    case '2': out += ' ' + QByteArray::number(e.arg2); break;
    case 'b': out += ' ' + QByteArray::number(e.arg1); break;
    case 's': out += ' ' + nameAt(kStops, 3, e.arg2); break;
    case 'p': out += ' ' + nameAt(kParities, 5, e.arg3); break;
    case 'l': out += e.arg1 ? " 1" : " 0"; break;
    case 'r': out += ' ' + QByteArray::number(e.rc); break;
    case 'x': appendHex(out, e.bytes); break;
    case 'q': out += ' ' + quoteText(e.texts.value(textIndex++)); break;
    case 'c': out += ' ' + kindName(e.call); break;
    default: break;
    }
}

} // namespace

QByteArray kindName(Kind kind)
{
    const KindEntry *e = entryOf(kind);
    return e ? QByteArray(e->name) : QByteArray();
}

bool kindFromName(const QByteArray &name, Kind *kind)
{
    for (const KindEntry &e : kKinds) {
        if (name == e.name) {
            *kind = e.kind;
            return true;
        }
    }
    return false;
}

const char *layoutOf(Kind kind)
{
    const KindEntry *e = entryOf(kind);
    return e ? e->layout : "";
}

int indexOfName(const char *const *names, int count, const QByteArray &token)
{
    for (int i = 0; i < count; ++i)
        if (token == names[i])
            return i;
    return -1;
}

int interfaceIndex(const QByteArray &token)
{
    return indexOfName(kInterfaces, 5, token);
}
int stopIndex(const QByteArray &token)
{
    return indexOfName(kStops, 3, token);
}
int parityIndex(const QByteArray &token)
{
    return indexOfName(kParities, 5, token);
}

QByteArray quoteText(const QByteArray &utf8)
{
    return '"' + encodeText(utf8) + '"';
}

void appendLine(QByteArray &out, const Event &event)
{
    out += QByteArray::number(event.us);
    out += ' ';
    out += kindName(event.kind);
    int textIndex = 0;
    for (const char *code = layoutOf(event.kind); *code; ++code)
        appendField(out, *code, event, textIndex);
    out += '\n';
}

QByteArray headerLine(const QString &program, const QString &version, const QString &startedUtc)
{
    return QByteArray(Magic) + ' ' + QByteArray::number(FormatVersion) + ' '
           + encodeText(program.toUtf8()) + ' ' + encodeText(version.toUtf8()) + ' '
           + encodeText(startedUtc.toUtf8()) + '\n';
}

QString hexBytes(const QByteArray &bytes)
{
    QByteArray out;
    appendHex(out, bytes);
    return QString::fromLatin1(out.mid(1));
}

} // namespace trace
