// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TRACEEVENT_H
#define TRACEEVENT_H

// One recorded libftdi1 call of a K-line session, and its text line in a
// .ktrace file (docs/ktrace.md). QtCore only: the reader tools use it too.

#include <QByteArray>
#include <QList>
#include <QString>

namespace trace {

// Format 2 adds the window's records (Kind::UiType and after) to format 1;
// a reader of format 2 reads format 1 files too.
constexpr int FormatVersion = 2;
constexpr int OldestFormatVersion = 1;
constexpr char Magic[] = "KTRACE";

enum class Kind {
    New,       // ftdi_new: rc 0 = context made, -1 = none
    Interface, // ftdi_set_interface: arg1 = interface (0 ANY, 1 A .. 4 D)
    Open,      // ftdi_usb_open: arg1 vendor, arg2 product
    Baud,      // ftdi_set_baudrate: arg1 requested rate
    Line,      // ftdi_set_line_property: arg1 bits, arg2 stop (0 1, 1 1.5, 2 2), arg3 parity
    Dtr,       // ftdi_setdtr: arg1 level
    Write,     // ftdi_write_data: bytes asked to write, rc bytes written
    Read,      // ftdi_read_data: rc bytes read, bytes = what arrived
    Close,     // ftdi_usb_close
    Free,      // ftdi_free
    FindAll,   // ftdi_usb_find_all: arg1 vendor, arg2 product, rc count
    Strings,   // ftdi_usb_get_strings: texts manufacturer, description, serial
    ListFree,  // ftdi_list_free
    ErrorText, // ftdi_get_error_string: texts[0] the text handed out
    Error,     // a negative result: call = the failed call, texts[0] the library's text
    End,       // the recording was closed in order
    // --- the window (format 2): what the mechanic did ---
    UiType,   // the type box: arg1 = index (0 Auto, 1 Xmax)
    UiRow,    // a row clicked: arg1 = row, arg2 = its item code
    UiAction, // Action
    UiCo,     // the CO window: arg1 = 1 opened, 0 closed
    UiUp,     // the CO window's Up
    UiDown,   // the CO window's Down
    UiCyl,    // the CO window's cylinder box: arg1 = index
    UiMenu,   // a command of the table's menu: texts[0] its text
    UiClose,  // the session ended (the window closed, Ctrl+C): what follows is shutdown
    // --- the window: what it showed, whenever it changed ---
    UiStatus, // the status text
    UiCable,  // the reason beside "Not Connect." (empty: none shown)
    UiInfo,   // the Info line
    UiValue,  // the Value cell of the row clicked last: arg1 = row (-1 none), texts[0]
    // --- how the window was looked at (first, once) ---
    UiWatch // arg1 = 1: the status also whenever it changed, not only before each call
};

struct Event {
    qint64 us = 0; // microseconds since the recording started
    Kind kind = Kind::End;
    Kind call = Kind::End; // Error only
    int rc = 0;
    int arg1 = 0;
    int arg2 = 0;
    int arg3 = 0;
    QByteArray bytes;
    QList<QByteArray> texts; // UTF-8
    int line = 0;            // line in the file it was read from (0 when made here)
};

// A record of the window, not a call of the library.
inline bool isWindowRecord(Kind kind)
{
    return kind >= Kind::UiType;
}
inline bool isWindowAction(Kind kind)
{
    return kind >= Kind::UiType && kind <= Kind::UiClose;
}
// What the window showed (not an action, nor how it was looked at).
inline bool isWindowShown(Kind kind)
{
    return kind >= Kind::UiStatus && kind <= Kind::UiValue;
}

// The event's name in the file ("write", "read", ...); empty for none.
QByteArray kindName(Kind kind);
bool kindFromName(const QByteArray &name, Kind *kind);

// Appends the event's line, newline included.
void appendLine(QByteArray &out, const Event &event);
QByteArray headerLine(const QString &program, const QString &version, const QString &startedUtc);

// "FE 00 0A": upper-case hexadecimal, two digits, one blank between.
QString hexBytes(const QByteArray &bytes);

} // namespace trace

#endif // TRACEEVENT_H
