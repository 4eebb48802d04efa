// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef USBSERIAL_H
#define USBSERIAL_H

#include "link/adapteropen.h"
#include "link/openfailure.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QThread;
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
    // What the system said of the cable after the last failed startConnect.
    CableSighting lastSighting() const { return sighting; }
    // How long the last startConnect's open took on its thread (0: at once).
    int lastOpenMs() const { return openMs; }

    // Opens the adapter as Connect does, but where adapterOpensOnThread()
    // says: on a thread of its own, so that the caller's event loop goes on
    // meanwhile, or at once. connectFinished follows on this object's
    // thread either way. A second start while one runs is ignored.
    void startConnect();
    bool connecting() const { return opening != nullptr; }

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
    void connectFinished(bool connected);

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
    static AdapterOpen openAdapter(bool lookUp);
    bool adopt(const AdapterOpen &attempt);
    void openFinished();
    void releaseContext();
    int readRaw(unsigned char *buf, int size);

    ftdi_context *ftdi = nullptr;
    bool connected = false;
    OpenFailure lastFailure;
    CableSighting sighting;
    int openMs = 0;
    QThread *opening = nullptr;
    std::shared_ptr<AdapterOpen> pending; // what the thread is opening
};

#endif // USBSERIAL_H
