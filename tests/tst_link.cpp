// SPDX-License-Identifier: GPL-3.0-or-later
// The USB link driven directly over the simulated cable: text forms,
// command strings, the write and read sizes, DTR and baud rate.
#include "support/logcapture.h"
#include "support/simsupport.h"

#include "link/usbserial.h"

#include "virtualmain.h"
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using sim::VirtualCable;

namespace {
using Bytes = std::vector<std::uint8_t>;

// Bytes that arrived a while ago and wait in the receive buffer.
void pending(const Bytes &bytes)
{
    VirtualCable::instance().ecuSend(bytes, sim::nowNs() - 2000000000LL);
}

Bytes bytesOf(const QByteArray &text)
{
    return Bytes(text.begin(), text.end());
}

int callCount(const std::string &call)
{
    const auto &calls = VirtualCable::instance().libraryCalls();
    return int(std::count(calls.begin(), calls.end(), call));
}

int callsStartingWith(const std::string &prefix)
{
    int n = 0;
    for (const std::string &c : VirtualCable::instance().libraryCalls())
        n += c.rfind(prefix, 0) == 0;
    return n;
}
} // namespace

Q_DECLARE_METATYPE(Bytes)

class TestLink : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void replyText_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("00 0F FF") << Bytes{0x00, 0x0F, 0xFF} << "0,f,ff,";
        QTest::newRow("83 0A 00 F0") << Bytes{0x83, 0x0A, 0x00, 0xF0} << "83,a,0,f0,";
        QTest::newRow("10") << Bytes{0x10} << "10,";
        QTest::newRow("nothing") << Bytes{} << "";
    }
    void replyText()
    {
        QFETCH(Bytes, bytes);
        QFETCH(QString, text);
        UsbSerial link;
        QVERIFY(link.Connect());
        pending(bytes);
        QCOMPARE(link.readDataHex(), text);
        QCOMPARE(link.readDataHex(), QString());
    }

    void readDataIsLatin1_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("2B 4F 4B") << Bytes{0x2B, 0x4F, 0x4B} << "+OK";
        QTest::newRow("E9") << Bytes{0xE9} << QString(QChar(0xE9));
        QTest::newRow("00 FF") << Bytes{0x00, 0xFF} << QString(QChar(0)) + QChar(0xFF);
    }
    void readDataIsLatin1()
    {
        QFETCH(Bytes, bytes);
        QFETCH(QString, text);
        UsbSerial link;
        QVERIFY(link.Connect());
        pending(bytes);
        const QString read = link.readData();
        QCOMPARE(read.size(), int(bytes.size()));
        QCOMPARE(read, text);
    }

    void aReadTakesAtMost1024Bytes()
    {
        UsbSerial link;
        QVERIFY(link.Connect());
        Bytes bytes(1500);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = std::uint8_t(i);
        pending(bytes);
        QCOMPARE(VirtualCable::instance().receivePending(), 1500);
        const QStringList first = link.readDataHex().split(',');
        QCOMPARE(first.size(), 1024 + 1);
        QCOMPARE(first.value(1023), QString("ff")); // byte 1023 = 0x3FF & 0xFF
        const QStringList rest = link.readDataHex().split(',');
        QCOMPARE(rest.size(), 476 + 1);
        QCOMPARE(rest.value(0), QString("0")); // byte 1024 comes first
        QCOMPARE(callCount("ftdi_read_data(1024)"), 2);
        QCOMPARE(link.readDataHex(), QString());
    }

    void aReadNeverTakesBytesStillOnTheWire()
    {
        UsbSerial link;
        QVERIFY(link.Connect());
        VirtualCable &cable = VirtualCable::instance();
        cable.ecuSend({0x55, 0xAA}, sim::nowNs() + 200000000LL); // due in 200 ms
        QCOMPARE(link.readDataHex(), QString());
        QVERIFY(waitUntil([&] { return cable.receivePending() == 2; }, 5000));
        QCOMPARE(link.readDataHex(), QString("55,aa,"));
    }

    // On virtual time a read holds the thread as on a real cable: the clock
    // moves on by the chip's wait (sim/virtualcable.h), and no further.
    void aReadMovesVirtualTimeByTheChipsWait()
    {
        UsbSerial link;
        QVERIFY(link.Connect());
        runFor(100); // the latency timer has long run out
        qint64 before = VirtualTime::nowMs();
        QCOMPARE(link.readDataHex(), QString());
        QCOMPARE(VirtualTime::nowMs(), before); // answered at once: nothing came
        pending({0x10});
        before = VirtualTime::nowMs();
        QCOMPARE(link.readDataHex(), QString("10,"));
        // The timer restarted at the empty read: one period to the packet
        // with the byte, one more to the packet that ends the read.
        QCOMPARE(VirtualTime::nowMs() - before, 32);
    }

    void readsWhileNotConnectedLeaveTheAdapterAlone()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.refuseLineProperty(true); // adapter open, link not connected
        UsbSerial link;
        QVERIFY(!link.Connect());
        QVERIFY(!link.isConnected());
        QVERIFY(cable.held());
        pending({0x2B, 0x4F});
        cable.clearHistory();
        QCOMPARE(link.readDataHex(), QString());
        QCOMPARE(link.readData(), QString());
        QCOMPARE(callsStartingWith("ftdi_read_data"), 0);
        QCOMPARE(cable.receivePending(), 2);
    }

    void commandString_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<Bytes>("bytes");
        QTest::newRow("0x81,") << "0x81," << Bytes{0x81, 0x00};
        QTest::newRow("empty") << "" << Bytes{0x00};
        QTest::newRow("zz") << "zz" << Bytes{0x00};
        QTest::newRow("0x1FF") << "0x1FF" << Bytes{0xFF};
        QTest::newRow(" 0x10 ") << " 0x10 " << Bytes{0x10};
        QTest::newRow("0X1f") << "0X1f" << Bytes{0x1F};
        QTest::newRow("7") << "7" << Bytes{0x07};
        QTest::newRow("0x100000000") << "0x100000000" << Bytes{0x00};
        QTest::newRow("-1") << "-1" << Bytes{0xFF};
        QTest::newRow(",,") << ",," << Bytes{0x00, 0x00, 0x00};
        QTest::newRow("0xC1,0x33,0xF0,0x81,0x65")
            << "0xC1,0x33,0xF0,0x81,0x65" << Bytes{0xC1, 0x33, 0xF0, 0x81, 0x65};
    }
    void commandString()
    {
        QFETCH(QString, command);
        QFETCH(Bytes, bytes);
        UsbSerial link;
        QVERIFY(link.Connect());
        VirtualCable::instance().clearHistory();
        QSignalSpy errors(&link, SIGNAL(ftdiwriteError()));
        link.writeDataStr(command);
        QCOMPARE(sentBytes(), bytes);
        // every piece is a library write of its own
        QCOMPARE(callCount("ftdi_write_data(1)"), int(bytes.size()));
        QCOMPARE(callsStartingWith("ftdi_write_data"), int(bytes.size()));
        QCOMPARE(errors.count(), 0);
    }

    void singleByteWrite()
    {
        UsbSerial link;
        QVERIFY(link.Connect());
        VirtualCable::instance().clearHistory();
        unsigned char byte = 0xFE;
        link.writeDataHex(&byte);
        QCOMPARE(sentBytes(), Bytes{0xFE});
        QCOMPARE(callCount("ftdi_write_data(1)"), 1);
    }

    void textWriteIsCappedAt30Bytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("sent");
        QTest::newRow("40 chars") << QString(40, QChar('a')) << 30;
        QTest::newRow("30 chars") << QString(30, QChar('b')) << 30;
        QTest::newRow("?usart\\n") << "?usart\n" << 7;
        QTest::newRow("empty") << "" << 0;
    }
    void textWriteIsCappedAt30Bytes()
    {
        QFETCH(QString, text);
        QFETCH(int, sent);
        UsbSerial link;
        QVERIFY(link.Connect());
        VirtualCable::instance().clearHistory();
        QString numbered = text;
        for (int i = 0; i < numbered.size(); ++i)
            numbered[i] = QChar('A' + i % 26); // tells the pieces apart
        link.writeData(numbered);
        QCOMPARE(sentBytes(), bytesOf(numbered.left(sent).toLatin1()));
        QCOMPARE(callCount("ftdi_write_data(" + std::to_string(sent) + ")"), 1);
    }

    void textWriteWhileNotConnectedSendsNothing()
    {
        VirtualCable::instance().refuseLineProperty(true);
        UsbSerial link;
        QVERIFY(!link.Connect());
        VirtualCable::instance().clearHistory();
        link.writeData(QString(40, QChar('x')));
        QVERIFY(sentBytes().empty());
        QCOMPARE(callsStartingWith("ftdi_write_data"), 0);
    }

    void textWriteFailureIsSilent()
    {
        UsbSerial link;
        QVERIFY(link.Connect());
        QSignalSpy errors(&link, SIGNAL(ftdiwriteError()));
        VirtualCable::instance().failWrites(VirtualCable::Forever);
        link.writeData("?usart\n");
        QCOMPARE(errors.count(), 0);
    }

    void oneWriteErrorPerFailedPiece_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("failing");
        QTest::addColumn<int>("errors");
        QTest::addColumn<Bytes>("sent");
        QTest::newRow("unplugged 3 pieces") << "0x81,0x10,0xF0" << -2 << 3 << Bytes{};
        QTest::newRow("unplugged 0x81,") << "0x81," << -2 << 2 << Bytes{};
        QTest::newRow("2 of 4 fail") << "0x01,0x02,0x03,0x04" << 2 << 2 << Bytes{0x03, 0x04};
        QTest::newRow("all fail") << "0x01,0x02" << VirtualCable::Forever << 2 << Bytes{};
    }
    void oneWriteErrorPerFailedPiece()
    {
        QFETCH(QString, command);
        QFETCH(int, failing);
        QFETCH(int, errors);
        QFETCH(Bytes, sent);
        VirtualCable &cable = VirtualCable::instance();
        UsbSerial link;
        QVERIFY(link.Connect());
        cable.clearHistory();
        if (failing == -2)
            cable.unplug();
        else
            cable.failWrites(failing);
        QSignalSpy spy(&link, SIGNAL(ftdiwriteError()));
        link.writeDataStr(command);
        QCOMPARE(spy.count(), errors);
        QCOMPARE(sentBytes(), sent);
        QCOMPARE(callsStartingWith("ftdi_write_data"), command.split(',').size());
    }

    void singleByteWriteWithoutContextReportsAnError()
    {
        UsbSerial link; // never connected: the library would refuse too
        QSignalSpy spy(&link, SIGNAL(ftdiwriteError()));
        unsigned char byte = 0xCB;
        link.writeDataHex(&byte);
        link.writeDataStr("0x01,0x02");
        QCOMPARE(spy.count(), 3);
        QVERIFY(sentBytes().empty());
    }

    void dtrFollowsTheBit()
    {
        VirtualCable &cable = VirtualCable::instance();
        UsbSerial link;
        QVERIFY(link.Connect());
        link.writeDataBit(5);
        QVERIFY(cable.line().dtr);
        link.writeDataBit(0);
        QVERIFY(!cable.line().dtr);
        link.writeDataBit(-1);
        QVERIFY(cable.line().dtr);
        QCOMPARE(int(cable.dtrEdges().size()), 3);
        QCOMPARE(cable.dtrEdges()[0].level, true);
        QCOMPARE(cable.dtrEdges()[1].level, false);
        QCOMPARE(callCount("ftdi_setdtr(1)"), 2);
        QCOMPARE(callCount("ftdi_setdtr(0)"), 1);
    }

    void dtrWithoutAdapterChangesNothing()
    {
        VirtualCable &cable = VirtualCable::instance();
        UsbSerial link;
        QVERIFY(link.Connect());
        cable.unplug();
        link.writeDataBit(1);
        QVERIFY(cable.dtrEdges().empty());
        QVERIFY(!cable.line().dtr);
    }

    void setBaud_data()
    {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("actual"); // 0: refused, line keeps 15625
        QTest::newRow("10400") << 10400 << 10399;
        QTest::newRow("15630") << 15630 << 15625;
        QTest::newRow("9600") << 9600 << 9600;
        QTest::newRow("100") << 100 << 0;
        QTest::newRow("0") << 0 << 0;
    }
    void setBaud()
    {
        QFETCH(int, requested);
        QFETCH(int, actual);
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        UsbSerial link;
        QVERIFY(link.Connect());
        log.clear();
        link.setBaud(requested);
        QCOMPARE(cable.line().baud, actual ? actual : 15625);
        QCOMPARE(log.texts(), actual ? QStringList() : QStringList{"unable to set baudrate"});
        QCOMPARE(cable.baudChanges().back().requested, requested);
    }

    void setBaudWithoutAdapterLogsAndChangesNothing()
    {
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        UsbSerial link;
        link.setBaud(10400);
        QCOMPARE(log.texts(), QStringList{"unable to set baudrate"});
        QVERIFY(cable.baudChanges().empty());
        QCOMPARE(cable.line().baud, 9600);
    }

    void echoArrivesAfterTenBitTimes()
    {
        VirtualCable &cable = VirtualCable::instance();
        UsbSerial link;
        QVERIFY(link.Connect());
        cable.clearHistory();
        link.writeDataStr("0x01,0x02,0x03");
        const auto &tx = cable.transmitted();
        QCOMPARE(int(tx.size()), 3);
        const sim::Nanos byteTime = 10LL * 1000000000LL / 15625; // 640 us
        QCOMPARE(cable.byteTimeNs(), byteTime);
        QCOMPARE(tx[0].endsAt - tx[0].writtenAt, byteTime);
        QCOMPARE(tx[2].endsAt - tx[1].endsAt, byteTime); // back to back
        QCOMPARE(tx[0].baud, 15625);
        QVERIFY(waitUntil([&] { return cable.receivePending() == 3; }, 5000));
        QCOMPARE(link.readDataHex(), QString("1,2,3,"));
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestLink)
#include "tst_link.moc"

#include <cstdint>
