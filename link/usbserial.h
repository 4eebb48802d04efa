// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef USBSERIAL_H
#define USBSERIAL_H

#include "link/openfailure.h"

#include <QByteArray>
#include <QObject>
#include <QString>

struct ftdi_context;

// The K-line adapter: an FTDI serial chip with vendor 0x0433, product 0x6066.
// The only code in the program that talks to libftdi1.
class UsbSerial : public QObject
{
    Q_OBJECT
public:
    // The line speed after Connect: the Auto family's.
    static constexpr int OpenBaud = 15630;

    explicit UsbSerial(QObject *parent = nullptr);
    ~UsbSerial() override;

    // Why the last Connect failed; Step::None after one that succeeded.
    OpenFailure lastOpenFailure() const { return lastFailure; }

    // The bytes of a request, each written as writeDataHex writes one
    // (ftdiwriteError for every byte that fails).
    void writeBytes(const QByteArray &bytes);
    // What the adapter holds, as readDataHex reads it, as bytes.
    QByteArray readBytes();
    // Bytes as readDataHex gives them: lower-case hexadecimal without
    // leading zeros, each followed by ",".
    static QString hexText(const QByteArray &bytes);

signals:
    void sendlog(QString s);
    void ftdiwriteError();

public slots:
    void writeData(QString str);
    void writeDataHex(unsigned char *buf);
    void writeDataBit(int bit);
    QString readData();
    QString readDataHex();
    bool Connect();
    bool isConnected();
    void Disconnect();
    bool testConnection();
    void findFtdi();
    void writeDataStr(QString cmd_str);
    void setBaud(int baud);

private slots:
    void log(QString s);
    void delay(int ms);

private:
    void releaseContext();
    int readRaw(unsigned char *buf, int size);

    ftdi_context *ftdi = nullptr;
    bool connected = false;
    OpenFailure lastFailure;
};

#endif // USBSERIAL_H
