// SPDX-License-Identifier: GPL-3.0-or-later
// The recording layer: linked with -Wl,--wrap=<call> for every libftdi1 call
// the link makes, so UsbSerial reaches these functions, which pass each call
// through unchanged to the library behind them (the real libftdi1 or the
// simulated cable) and record it while a recording is on.

#include "trace/recording.h"

#include <ftdi.h>

using trace::Event;
using trace::Kind;

extern "C" {
struct ftdi_context *__real_ftdi_new(void);
int __real_ftdi_set_interface(struct ftdi_context *, enum ftdi_interface);
int __real_ftdi_usb_open(struct ftdi_context *, int, int);
int __real_ftdi_set_baudrate(struct ftdi_context *, int);
int __real_ftdi_set_line_property(struct ftdi_context *, enum ftdi_bits_type,
                                  enum ftdi_stopbits_type, enum ftdi_parity_type);
int __real_ftdi_setdtr(struct ftdi_context *, int);
int __real_ftdi_read_data(struct ftdi_context *, unsigned char *, int);
int __real_ftdi_write_data(struct ftdi_context *, const unsigned char *, int);
int __real_ftdi_usb_close(struct ftdi_context *);
void __real_ftdi_free(struct ftdi_context *);
int __real_ftdi_usb_find_all(struct ftdi_context *, struct ftdi_device_list **, int, int);
void __real_ftdi_list_free(struct ftdi_device_list **);
int __real_ftdi_usb_get_strings(struct ftdi_context *, struct libusb_device *, char *, int, char *,
                                int, char *, int);
const char *__real_ftdi_get_error_string(struct ftdi_context *);
}

namespace {

Event event(Kind kind, int rc, int arg1 = 0, int arg2 = 0, int arg3 = 0)
{
    Event e;
    e.kind = kind;
    e.rc = rc;
    e.arg1 = arg1;
    e.arg2 = arg2;
    e.arg3 = arg3;
    return e;
}

QByteArray errorText(struct ftdi_context *ftdi)
{
    const char *text = ftdi ? __real_ftdi_get_error_string(ftdi) : nullptr;
    return QByteArray(text ? text : "");
}

// Records the call and, for a negative result, the library's error text.
void note(struct ftdi_context *ftdi, Event e)
{
    const int rc = e.rc;
    const Kind call = e.kind;
    trace::noteCall(std::move(e));
    if (rc >= 0)
        return;
    Event err = event(Kind::Error, rc);
    err.call = call;
    err.texts.append(call == Kind::New ? QByteArray("no context") : errorText(ftdi));
    trace::noteCall(std::move(err));
}

QByteArray cText(const char *s, int size)
{
    return s && size > 0 ? QByteArray(s, int(qstrnlen(s, uint(size)))) : QByteArray();
}

} // namespace

extern "C" {

struct ftdi_context *__wrap_ftdi_new(void)
{
    struct ftdi_context *ftdi = __real_ftdi_new();
    if (trace::callsHeard())
        note(ftdi, event(Kind::New, ftdi ? 0 : -1));
    return ftdi;
}

int __wrap_ftdi_set_interface(struct ftdi_context *ftdi, enum ftdi_interface interface)
{
    const int rc = __real_ftdi_set_interface(ftdi, interface);
    if (trace::callsHeard())
        note(ftdi, event(Kind::Interface, rc, int(interface)));
    return rc;
}

int __wrap_ftdi_usb_open(struct ftdi_context *ftdi, int vendor, int product)
{
    const int rc = __real_ftdi_usb_open(ftdi, vendor, product);
    if (trace::callsHeard())
        note(ftdi, event(Kind::Open, rc, vendor, product));
    return rc;
}

int __wrap_ftdi_set_baudrate(struct ftdi_context *ftdi, int baudrate)
{
    const int rc = __real_ftdi_set_baudrate(ftdi, baudrate);
    if (trace::callsHeard())
        note(ftdi, event(Kind::Baud, rc, baudrate));
    return rc;
}

int __wrap_ftdi_set_line_property(struct ftdi_context *ftdi, enum ftdi_bits_type bits,
                                  enum ftdi_stopbits_type sbit, enum ftdi_parity_type parity)
{
    const int rc = __real_ftdi_set_line_property(ftdi, bits, sbit, parity);
    if (trace::callsHeard())
        note(ftdi, event(Kind::Line, rc, int(bits), int(sbit), int(parity)));
    return rc;
}

int __wrap_ftdi_setdtr(struct ftdi_context *ftdi, int state)
{
    const int rc = __real_ftdi_setdtr(ftdi, state);
    if (trace::callsHeard())
        note(ftdi, event(Kind::Dtr, rc, state != 0 ? 1 : 0));
    return rc;
}

int __wrap_ftdi_read_data(struct ftdi_context *ftdi, unsigned char *buf, int size)
{
    const int rc = __real_ftdi_read_data(ftdi, buf, size);
    if (trace::callsHeard()) {
        Event e = event(Kind::Read, rc);
        if (rc > 0 && buf)
            e.bytes = QByteArray(reinterpret_cast<const char *>(buf), qMin(rc, size));
        e.rc = rc > 0 ? e.bytes.size() : rc;
        note(ftdi, std::move(e));
    }
    return rc;
}

int __wrap_ftdi_write_data(struct ftdi_context *ftdi, const unsigned char *buf, int size)
{
    const int rc = __real_ftdi_write_data(ftdi, buf, size);
    if (trace::callsHeard()) {
        Event e = event(Kind::Write, rc);
        if (buf && size > 0)
            e.bytes = QByteArray(reinterpret_cast<const char *>(buf), size);
        e.rc = qMin(rc, e.bytes.size());
        note(ftdi, std::move(e));
    }
    return rc;
}

int __wrap_ftdi_usb_close(struct ftdi_context *ftdi)
{
    const int rc = __real_ftdi_usb_close(ftdi);
    if (trace::callsHeard())
        note(ftdi, event(Kind::Close, rc));
    return rc;
}

void __wrap_ftdi_free(struct ftdi_context *ftdi)
{
    __real_ftdi_free(ftdi);
    if (trace::callsHeard())
        trace::noteCall(event(Kind::Free, 0));
}

int __wrap_ftdi_usb_find_all(struct ftdi_context *ftdi, struct ftdi_device_list **devlist,
                             int vendor, int product)
{
    const int rc = __real_ftdi_usb_find_all(ftdi, devlist, vendor, product);
    if (trace::callsHeard())
        note(ftdi, event(Kind::FindAll, rc, vendor, product));
    return rc;
}

void __wrap_ftdi_list_free(struct ftdi_device_list **devlist)
{
    __real_ftdi_list_free(devlist);
    if (trace::callsHeard())
        trace::noteCall(event(Kind::ListFree, 0));
}

int __wrap_ftdi_usb_get_strings(struct ftdi_context *ftdi, struct libusb_device *dev,
                                char *manufacturer, int mnf_len, char *description, int desc_len,
                                char *serial, int serial_len)
{
    const int rc = __real_ftdi_usb_get_strings(ftdi, dev, manufacturer, mnf_len, description,
                                               desc_len, serial, serial_len);
    if (trace::callsHeard()) {
        Event e = event(Kind::Strings, rc);
        e.texts = {rc >= 0 ? cText(manufacturer, mnf_len) : QByteArray(),
                   rc >= 0 ? cText(description, desc_len) : QByteArray(),
                   rc >= 0 ? cText(serial, serial_len) : QByteArray()};
        note(ftdi, std::move(e));
    }
    return rc;
}

const char *__wrap_ftdi_get_error_string(struct ftdi_context *ftdi)
{
    const char *text = __real_ftdi_get_error_string(ftdi);
    if (trace::callsHeard()) {
        Event e = event(Kind::ErrorText, 0);
        e.texts.append(QByteArray(text ? text : ""));
        trace::noteCall(std::move(e));
    }
    return text;
}

} // extern "C"
