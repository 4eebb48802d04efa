// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/usbserial.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <ftdi.h>

#include <cstdio>

namespace {
constexpr int kVendorId = 0x0433;
constexpr int kProductId = 0x6066;
constexpr int kReadSize = 1024;
constexpr int kTextWriteCap = 30;
constexpr int kStringSize = 128;

// The text libftdi1 left for its last failure, read without a library call
// (a recording would show one).
QString errorText(const ftdi_context *ftdi)
{
    return QString::fromLocal8Bit(ftdi->error_str ? ftdi->error_str : "");
}

// The chips with FTDI's own ids, into the log: a cable that reports other
// ids than ours shows here.
void listFtdiDevices(ftdi_context *ftdi)
{
    ftdi_device_list *devlist = nullptr;
    const int found = ftdi_usb_find_all(ftdi, &devlist, 0, 0);
    if (found < 0)
        qDebug("usb_find_all failed: %d (%s)\n", found, ftdi_get_error_string(ftdi));
    qDebug("Number of devices found: %d\n", found);
    int i = 0;
    for (ftdi_device_list *node = found > 0 ? devlist : nullptr; node; node = node->next, ++i) {
        char manufacturer[kStringSize] = {0};
        char description[kStringSize] = {0};
        char serial[kStringSize] = {0};
        qDebug("Checking device: %d\n", i);
        const int rc = ftdi_usb_get_strings(ftdi, node->dev, manufacturer, kStringSize, description,
                                            kStringSize, serial, kStringSize);
        if (rc < 0) {
            qDebug("usb_get_strings failed: %d (%s)\n", rc, ftdi_get_error_string(ftdi));
            manufacturer[0] = description[0] = serial[0] = '\0';
        }
        qDebug("Manufacturer: %s, Description: %s, Serial: %s\n\n", manufacturer, description,
               serial);
    }
    ftdi_list_free(&devlist);
}
} // namespace

UsbSerial::UsbSerial(QObject *parent) : QObject(parent) {}

UsbSerial::~UsbSerial()
{
    // An open under way finishes first; what it opened closes with the rest.
    if (opening) {
        opening->wait();
        delete opening;
        ftdi = pending->context;
    }
    // Leave nothing claimed behind us: the next program may want the cable.
    releaseContext();
}

void UsbSerial::releaseContext()
{
    if (!ftdi)
        return;
    ftdi_usb_close(ftdi);
    ftdi_free(ftdi);
    ftdi = nullptr;
    connected = false;
}

bool UsbSerial::Connect()
{
    connected = false;
    lastFailure = OpenFailure();
    // A stale handle from an earlier attempt would keep the interface
    // claimed, and the reconnect after a write error could never succeed.
    releaseContext();
    return adopt(openAdapter(false));
}

void UsbSerial::startConnect()
{
    if (opening)
        return;
    connected = false;
    lastFailure = OpenFailure();
    releaseContext();
    if (!adapterOpensOnThread()) {
        openMs = 0;
        emit connectFinished(adopt(openAdapter(true)));
        return;
    }
    pending = std::make_shared<AdapterOpen>();
    const std::shared_ptr<AdapterOpen> result = pending;
    opening = QThread::create([result] {
        QElapsedTimer clock;
        clock.start();
        *result = openAdapter(true);
        result->tookMs = int(clock.elapsed());
    });
    connect(opening, &QThread::finished, this, &UsbSerial::openFinished);
    opening->start();
}

void UsbSerial::openFinished()
{
    opening->deleteLater();
    opening = nullptr;
    const AdapterOpen result = *pending;
    pending.reset();
    openMs = result.tookMs;
    emit connectFinished(adopt(result));
}

bool UsbSerial::adopt(const AdapterOpen &attempt)
{
    ftdi = attempt.context;
    lastFailure = attempt.failure;
    sighting = attempt.sighting;
    if (attempt.failure.step == OpenFailure::Step::Context)
        emit sendlog("failed");
    connected = attempt.configured;
    return connected;
}

// Every step of an open that touches the library, and nothing of the link
// object: it may run on a thread of its own. `lookUp`: after a failure, ask
// the system about the cable as well.
AdapterOpen UsbSerial::openAdapter(bool lookUp)
{
    AdapterOpen attempt;
    ftdi_context *ftdi = ftdi_new();
    if (!ftdi) {
        attempt.failure.step = OpenFailure::Step::Context;
        std::fprintf(stderr, "ftdi_new failed\n");
        qDebug().noquote() << "ftdi_new failed";
    } else {
        ftdi_set_interface(ftdi, INTERFACE_A);
        const int opened = ftdi_usb_open(ftdi, kVendorId, kProductId);
        if (opened < 0) {
            // libftdi's code and text tell a cable not found ("device not
            // found") from one found but not opened (driver, permission,
            // another program).
            attempt.failure = {OpenFailure::Step::Open, opened, errorText(ftdi)};
            std::fprintf(stderr, "ftdi_usb_open: %d (%s)\n", opened,
                         ftdi->error_str ? ftdi->error_str : "");
            listFtdiDevices(ftdi);
            ftdi_free(ftdi);
            qDebug().noquote() << "unable to open device";
        } else {
            attempt.context = ftdi;
            qDebug().noquote() << "usbconnect";
            if (ftdi_set_baudrate(ftdi, OpenBaud) < 0)
                qDebug().noquote() << "unable to set baudrate";
            const int lineSet = ftdi_set_line_property(ftdi, BITS_8, STOP_BIT_1, NONE);
            if (lineSet < 0) {
                attempt.failure = {OpenFailure::Step::LineProperty, lineSet, errorText(ftdi)};
                qDebug().noquote() << "unable to set line parameters";
            } else {
                attempt.configured = true;
            }
        }
    }
    if (!attempt.configured && lookUp)
        attempt.sighting = lookUpCable();
    return attempt;
}

bool UsbSerial::isConnected()
{
    return connected;
}

void UsbSerial::Disconnect()
{
    releaseContext();
}

int UsbSerial::readRaw(unsigned char *buf, int size)
{
    if (!connected || !ftdi)
        return 0;
    const int n = ftdi_read_data(ftdi, buf, size);
    return n > 0 ? qMin(n, size) : 0;
}

QString UsbSerial::readData()
{
    unsigned char buf[kReadSize];
    const int n = readRaw(buf, kReadSize);
    return QString::fromLatin1(reinterpret_cast<const char *>(buf), n);
}

QByteArray UsbSerial::readBytes()
{
    unsigned char buf[kReadSize];
    const int n = readRaw(buf, kReadSize);
    return QByteArray(reinterpret_cast<const char *>(buf), n);
}

QString UsbSerial::readDataHex()
{
    return hexText(readBytes());
}

QString UsbSerial::hexText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    for (const char byte : bytes)
        text += QString::number(static_cast<unsigned char>(byte), 16) + QLatin1Char(',');
    return text;
}

void UsbSerial::writeData(QString str)
{
    if (!connected || !ftdi)
        return;
    const QByteArray bytes = str.toLocal8Bit();
    const int n = qMin(qMin(str.length(), kTextWriteCap), bytes.size());
    ftdi_write_data(ftdi, reinterpret_cast<const unsigned char *>(bytes.constData()), n);
}

void UsbSerial::writeDataHex(unsigned char *buf)
{
    if (!buf || !ftdi || ftdi_write_data(ftdi, buf, 1) < 0)
        emit ftdiwriteError();
}

void UsbSerial::writeBytes(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        unsigned char one = static_cast<unsigned char>(byte);
        writeDataHex(&one);
    }
}

void UsbSerial::writeDataStr(QString cmd_str)
{
    const QStringList pieces = cmd_str.split(QLatin1Char(','));
    for (const QString &piece : pieces) {
        bool ok = false;
        const int value = piece.toInt(&ok, 16);
        unsigned char byte = static_cast<unsigned char>(ok ? value & 0xff : 0);
        writeDataHex(&byte);
    }
}

void UsbSerial::writeDataBit(int bit)
{
    if (ftdi)
        ftdi_setdtr(ftdi, bit != 0 ? 1 : 0);
}

void UsbSerial::setBaud(int baud)
{
    if (!ftdi || ftdi_set_baudrate(ftdi, baud) < 0)
        qDebug().noquote() << "unable to set baudrate";
}

bool UsbSerial::testConnection()
{
    writeData("?usart\n");
    delay(300);
    const QString answer = readData();
    emit sendlog("test" + answer);
    return answer.startsWith(QLatin1Char('+'));
}

void UsbSerial::findFtdi()
{
    if (ftdi)
        listFtdiDevices(ftdi);
}

void UsbSerial::log(QString s)
{
    emit sendlog(s);
}

void UsbSerial::delay(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
