// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the adapter: every Connect path with its log lines, the device
// listing, the probe, and the lifetime of the library contexts.
#include "support/logcapture.h"
#include "support/simsupport.h"
#include "support/stderrcapture.h"

#include "link/usbserial.h"

#include "virtualmain.h"
#include <QSignalSpy>
#include <QtTest>

using sim::VirtualCable;

namespace {
const QStringList kDefaultListing = {
    "Number of devices found: 2\n",
    "Checking device: 0\n",
    "Manufacturer: FTDI, Description: FT232R USB UART, Serial: A50285BI\n\n",
    "Checking device: 1\n",
    "Manufacturer: FTDI, Description: Dual RS232-HS, Serial: FT4232H1\n\n",
};

QStringList calls()
{
    QStringList out;
    for (const std::string &c : VirtualCable::instance().libraryCalls())
        out << QString::fromStdString(c);
    return out;
}

void pending(const std::vector<std::uint8_t> &bytes)
{
    VirtualCable::instance().ecuSend(bytes, sim::nowNs() - 2000000000LL);
}
} // namespace

class TestLinkConnect : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void connectOpensAndConfiguresTheLine()
    {
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        UsbSerial link;
        QVERIFY(link.Connect());
        QVERIFY(link.isConnected());
        QCOMPARE(log.texts(), QStringList{"usbconnect"});
        QVERIFY(log.lines().value(0).file.contains("usbserial"));
        QVERIFY(log.lines().value(0).function.contains("UsbSerial::"));
        QCOMPARE(calls(),
                 (QStringList{"ftdi_new", "ftdi_set_interface(A)", "ftdi_usb_open(0x433,0x6066)",
                              "ftdi_set_baudrate(15630)", "ftdi_set_line_property(8,0,0)"}));
        QCOMPARE(cable.line().baud, 15625);
        QCOMPARE(cable.line().bits, 8);
        QCOMPARE(cable.line().stopBits, 1);
        QCOMPARE(cable.line().parity, 0);
        QVERIFY(!cable.line().dtr); // Connect leaves DTR to the window
    }

    void noLibraryContext()
    {
        VirtualCable &cable = VirtualCable::instance();
        const int contexts = cable.contextsAlive();
        cable.failNextNew();
        LogCapture log;
        UsbSerial link;
        QSignalSpy sendlog(&link, SIGNAL(sendlog(QString)));
        StderrCapture err;
        const bool ok = link.Connect();
        QCOMPARE(err.take(), QByteArray("ftdi_new failed\n"));
        QVERIFY(!ok);
        QVERIFY(!link.isConnected());
        QCOMPARE(log.texts(), QStringList{"ftdi_new failed"});
        QCOMPARE(sendlog.count(), 1);
        QCOMPARE(sendlog.at(0).at(0).toString(), QString("failed"));
        QCOMPARE(cable.contextsAlive(), contexts);
        QCOMPARE(calls(), QStringList{"ftdi_new"});
        // the next attempt starts from scratch and succeeds
        QVERIFY(link.Connect());
    }

    void adapterMissing_data()
    {
        QTest::addColumn<bool>("unplugged");
        QTest::newRow("unplugged") << true;
        QTest::newRow("open fails") << false;
    }
    void adapterMissing()
    {
        QFETCH(bool, unplugged);
        VirtualCable &cable = VirtualCable::instance();
        const int contexts = cable.contextsAlive();
        if (unplugged)
            cable.unplug();
        else
            cable.failOpen(true);
        LogCapture log;
        UsbSerial link;
        QVERIFY(!link.Connect());
        QVERIFY(!link.isConnected());
        QCOMPARE(log.texts(), kDefaultListing + QStringList{"unable to open device"});
        QCOMPARE(cable.contextsAlive(), contexts); // released again
        QVERIFY(!cable.held());
        QVERIFY(calls().contains("ftdi_usb_find_all(0x0,0x0)"));
        QCOMPARE(calls().last(), QString("ftdi_free"));
        QCOMPARE(link.readDataHex(), QString());
    }

    void listingWhenTheSearchFails()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.unplug();
        cable.failFindAll(true);
        LogCapture log;
        UsbSerial link;
        QVERIFY(!link.Connect());
        QCOMPARE(log.texts(),
                 (QStringList{"usb_find_all failed: -5 (libusb_get_device_list() failed)\n",
                              "Number of devices found: -5\n", "unable to open device"}));
    }

    void listingWhenStringsFail()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.unplug();
        cable.listedDevices()[0].stringsFail = true;
        LogCapture log;
        UsbSerial link;
        QVERIFY(!link.Connect());
        QCOMPARE(log.texts(),
                 (QStringList{"Number of devices found: 2\n", "Checking device: 0\n",
                              "usb_get_strings failed: -7 (unable to fetch manufacturer)\n",
                              "Manufacturer: , Description: , Serial: \n\n", kDefaultListing[3],
                              kDefaultListing[4], "unable to open device"}));
    }

    void listingWithNoDevices()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.unplug();
        cable.listedDevices().clear();
        LogCapture log;
        UsbSerial link;
        QVERIFY(!link.Connect());
        QCOMPARE(log.texts(),
                 (QStringList{"Number of devices found: 0\n", "unable to open device"}));
    }

    void listingWithoutContextDoesNothing()
    {
        LogCapture log;
        UsbSerial link;
        link.findFtdi(); // the library would need a context to search
        QVERIFY(log.texts().isEmpty());
        QVERIFY(VirtualCable::instance().libraryCalls().empty());
    }

    void refusedBaudRateStillConnects()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.refuseBaud(true);
        LogCapture log;
        UsbSerial link;
        QVERIFY(link.Connect());
        QVERIFY(link.isConnected());
        QCOMPARE(log.texts(), (QStringList{"usbconnect", "unable to set baudrate"}));
        QCOMPARE(cable.line().baud, 9600); // what the open left
    }

    void refusedLinePropertiesLeaveTheAdapterOpen()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.refuseLineProperty(true);
        LogCapture log;
        UsbSerial link;
        QVERIFY(!link.Connect());
        QVERIFY(!link.isConnected());
        QCOMPARE(log.texts(), (QStringList{"usbconnect", "unable to set line parameters"}));
        QVERIFY(cable.held());
        pending({0x01, 0x02});
        QCOMPARE(link.readDataHex(), QString());
        // writes still reach the open adapter
        link.writeDataStr("0x7F");
        QCOMPARE(sentBytes(), std::vector<std::uint8_t>{0x7F});
    }

    void connectReleasesTheEarlierContext()
    {
        VirtualCable &cable = VirtualCable::instance();
        const int contexts = cable.contextsAlive();
        UsbSerial link;
        for (int i = 0; i < 20; ++i) {
            QVERIFY2(link.Connect(), qPrintable(QString::number(i)));
            QCOMPARE(cable.contextsAlive(), contexts + 1);
            QCOMPARE(cable.openHandles(), 1);
        }
        cable.clearHistory();
        QVERIFY(link.Connect());
        QCOMPARE(calls().mid(0, 3), (QStringList{"ftdi_usb_close", "ftdi_free", "ftdi_new"}));
    }

    void failedConnectsLeakNothing()
    {
        VirtualCable &cable = VirtualCable::instance();
        const int contexts = cable.contextsAlive();
        cable.refuseLineProperty(true);
        UsbSerial link;
        for (int i = 0; i < 5; ++i)
            QVERIFY(!link.Connect());
        QCOMPARE(cable.contextsAlive(), contexts + 1); // the open one
        cable.unplug();
        for (int i = 0; i < 5; ++i)
            QVERIFY(!link.Connect());
        QCOMPARE(cable.contextsAlive(), contexts);
        QCOMPARE(cable.openHandles(), 0);
    }

    void destroyingTheLinkReleasesItsContext()
    {
        VirtualCable &cable = VirtualCable::instance();
        const int contexts = cable.contextsAlive();
        {
            UsbSerial link;
            QVERIFY(link.Connect());
            QVERIFY(cable.held());
        }
        QCOMPARE(cable.contextsAlive(), contexts);
        QVERIFY(!cable.held());
        UsbSerial next; // the next user finds the adapter free
        QVERIFY(next.Connect());
    }

    void disconnectClosesAndReleases()
    {
        VirtualCable &cable = VirtualCable::instance();
        const int contexts = cable.contextsAlive();
        UsbSerial link;
        QVERIFY(link.Connect());
        link.Disconnect();
        QVERIFY(!link.isConnected());
        QVERIFY(!cable.held());
        QCOMPARE(cable.contextsAlive(), contexts);
        QSignalSpy errors(&link, SIGNAL(ftdiwriteError()));
        link.writeDataStr("0x01");
        QCOMPARE(errors.count(), 1);
        link.Disconnect(); // twice is harmless
        QCOMPARE(cable.contextsAlive(), contexts);
    }

    void reconnectAfterAWriteError()
    {
        VirtualCable &cable = VirtualCable::instance();
        UsbSerial link;
        QVERIFY(link.Connect());
        cable.failWrites(1);
        QSignalSpy errors(&link, SIGNAL(ftdiwriteError()));
        unsigned char byte = 0xFE;
        link.writeDataHex(&byte);
        QCOMPARE(errors.count(), 1);
        QVERIFY(link.Connect()); // our own stale handle is not in the way
        cable.clearHistory();
        link.writeDataHex(&byte);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(sentBytes(), std::vector<std::uint8_t>{0xFE});
    }

    void reconnectAfterAReplug()
    {
        VirtualCable &cable = VirtualCable::instance();
        UsbSerial link;
        QVERIFY(link.Connect());
        cable.unplug();
        cable.plug();
        QSignalSpy errors(&link, SIGNAL(ftdiwriteError()));
        link.writeDataStr("0x01"); // the old handle died with the plug
        QCOMPARE(errors.count(), 1);
        QCOMPARE(link.readDataHex(), QString());
        QVERIFY(link.Connect());
        link.writeDataStr("0x01");
        QCOMPARE(errors.count(), 1);
    }

    void testConnection_data()
    {
        QTest::addColumn<bool>("writesFail");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<bool>("result");
        // the K-line adapter hears its own probe first
        QTest::newRow("silent line") << false << QByteArray() << "test?usart\n" << false;
        QTest::newRow("+OK, no echo") << true << QByteArray("+OK") << "test+OK" << true;
        QTest::newRow("-ERR, no echo") << true << QByteArray("-ERR") << "test-ERR" << false;
        QTest::newRow("nothing") << true << QByteArray() << "test" << false;
    }
    void testConnection()
    {
        QFETCH(bool, writesFail);
        QFETCH(QByteArray, answer);
        QFETCH(QString, logged);
        QFETCH(bool, result);
        VirtualCable &cable = VirtualCable::instance();
        UsbSerial link;
        QVERIFY(link.Connect());
        if (writesFail)
            cable.failWrites(VirtualCable::Forever);
        pending(std::vector<std::uint8_t>(answer.begin(), answer.end()));
        QSignalSpy sendlog(&link, SIGNAL(sendlog(QString)));
        CableClock clock;
        clock.start();
        QCOMPARE(link.testConnection(), result);
        QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(sendlog.count(), 1);
        QCOMPARE(sendlog.at(0).at(0).toString(), logged);
    }

    void testConnectionWhileNotConnected()
    {
        VirtualCable &cable = VirtualCable::instance();
        UsbSerial link;
        QSignalSpy sendlog(&link, SIGNAL(sendlog(QString)));
        bool ranDuringWait = false;
        QTimer::singleShot(50, [&] { ranDuringWait = true; });
        CableClock clock;
        clock.start();
        QVERIFY(!link.testConnection());
        QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(ranDuringWait); // the wait keeps events running
        QVERIFY(cable.libraryCalls().empty());
        QCOMPARE(sendlog.count(), 1);
        QCOMPARE(sendlog.at(0).at(0).toString(), QString("test"));
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestLinkConnect)
#include "tst_link_connect.moc"

#include <cstdint>
