// SPDX-License-Identifier: GPL-3.0-or-later
// The link (UsbSerial with the real libftdi1 over the real libusb-1.0)
// against the emulated FT232R: what the chip receives and what comes back.
#include "usbtestbench.h"

#include "support/logcapture.h"

#include "link/usbserial.h"
#include "sim/usbemu/hostecu.h"
#include "sim/usbemu/umockdevpreload.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <ftdi.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr std::uint8_t kReset = 0x00;
constexpr std::uint8_t kModemCtrl = 0x01;
constexpr std::uint8_t kSetBaud = 0x03;
constexpr std::uint8_t kSetData = 0x04;

QStringList fields(const QString &reply)
{
    QStringList out = reply.split(QLatin1Char(','));
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

bool claimAndClose(const std::string &devNode)
{
    const int fd = ::open(devNode.c_str(), O_RDWR);
    unsigned interface = 0;
    const bool claimed = fd >= 0 && ioctl(fd, USBDEVFS_CLAIMINTERFACE, &interface) == 0;
    if (fd >= 0)
        ::close(fd);
    return claimed;
}

// A program killed while it waits for its claim to be answered: the request
// is on umockdev's socket for the node (in the preload library's form, three
// longs: 1 for an ioctl, the request, its argument), then the socket closes.
// Answering it fails, and umockdev stops reading that connection.
bool claimAndDie(const std::string &devNode)
{
    const char *root = std::getenv("UMOCKDEV_DIR");
    const std::string path = std::string(root ? root : "") + "/ioctl" + devNode;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (!root || path.size() >= sizeof address.sun_path)
        return false;
    std::copy(path.begin(), path.end(), address.sun_path);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const unsigned long request[3] = {1, USBDEVFS_CLAIMINTERFACE, 0};
    const bool sent =
        sock >= 0 && ::connect(sock, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::send(sock, request, sizeof request, 0) == ssize_t(sizeof request);
    if (sock >= 0)
        ::close(sock);
    return sent;
}

// `count` bytes that have already crossed the line: i & 0xff.
void arrived(UsbTestBench &bench, int count)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(std::uint8_t(i));
    bench.withCable(
        [&](sim::VirtualCable &cable) { cable.ecuSend(bytes, sim::nowNs() - 5000000000LL); });
}
} // namespace

class TestUsbLink : public QObject
{
    Q_OBJECT
    UsbTestBench *bench = nullptr;

private slots:
    void initTestCase()
    {
        bench = new UsbTestBench();
        QVERIFY(bench->ready());
    }
    void cleanupTestCase() { delete bench; }
    void init() { bench->reset(); }

    void connectConfiguresTheChip()
    {
        LogCapture log;
        UsbSerial link;
        QVERIFY(link.Connect());
        QVERIFY(link.isConnected());
        QVERIFY(log.contains("usbconnect"));
        const auto all = bench->requests();
        QVERIFY(!all.empty());
        QCOMPARE(int(all.front().request), int(kReset));
        const auto data = bench->requests(kSetData);
        QCOMPARE(int(data.size()), 1);
        QCOMPARE(int(data[0].value), 0x0008); // 8 bits, no parity, 1 stop bit, no break
        QVERIFY(!data[0].stalled);
        bench->withCable([](sim::VirtualCable &cable) {
            QCOMPARE(cable.line().baud, 15625);
            QCOMPARE(cable.line().bits, 8);
            QCOMPARE(cable.line().stopBits, 1);
            QCOMPARE(cable.line().parity, 0);
        });
    }

    void baudDivisor_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("lineBaud");
        QTest::newRow("15630") << 15630 << 0x00C0 << 0 << 15625;
        QTest::newRow("10400") << 10400 << 0x4120 << 0 << 10399;
        QTest::newRow("9600") << 9600 << 0x4138 << 0 << 9600;
    }
    void baudDivisor()
    {
        QFETCH(int, rate);
        QFETCH(int, value);
        QFETCH(int, index);
        QFETCH(int, lineBaud);
        UsbSerial link;
        QVERIFY(link.Connect());
        link.setBaud(rate);
        const auto bauds = bench->requests(kSetBaud);
        QVERIFY(!bauds.empty());
        QCOMPARE(int(bauds.back().value), value);
        QCOMPARE(int(bauds.back().index), index);
        int actual = 0;
        bench->withCable([&](sim::VirtualCable &cable) { actual = cable.line().baud; });
        QCOMPARE(actual, lineBaud);
    }

    void readTakes1024ThenTheRest()
    {
        UsbSerial link;
        QVERIFY(link.Connect());
        arrived(*bench, 1500);
        const QStringList first = fields(link.readDataHex());
        QCOMPARE(first.size(), 1024);
        QCOMPARE(first.value(0), QString("0"));
        QCOMPARE(first.value(61), QString("3d"));
        QCOMPARE(first.value(62), QString("3e")); // the second packet's first byte
        QCOMPARE(first.value(1023), QString("ff"));
        const QStringList rest = fields(link.readDataHex());
        QCOMPARE(rest.size(), 476);
        QCOMPARE(rest.value(0), QString("0"));    // byte 1024
        QCOMPARE(rest.value(475), QString("db")); // byte 1499
        QCOMPARE(link.readDataHex(), QString());
    }

    // The real libftdi read loop against the chip's latency timer: the
    // emulator holds each IN transfer's reap until the chip would have let
    // its last packet go, so a read lasts at least as long as on the chip.
    void readWaitsForTheLatencyTimer_data()
    {
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<int>("waiting");
        QTest::addColumn<bool>("readBefore");
        QTest::newRow("16 ms, an answer waiting") << 16 << 3 << false;
        QTest::newRow("16 ms, nothing, right after a read") << 16 << 0 << true;
        QTest::newRow("100 ms, an answer waiting") << 100 << 3 << false;
    }
    void readWaitsForTheLatencyTimer()
    {
        QFETCH(int, latencyMs);
        QFETCH(int, waiting);
        QFETCH(bool, readBefore);
        ftdi_context *ctx = ftdi_new();
        QVERIFY(ctx);
        QCOMPARE(ftdi_usb_open(ctx, 0x0433, 0x6066), 0);
        QCOMPARE(ftdi_set_latency_timer(ctx, std::uint8_t(latencyMs)), 0);
        unsigned char latency = 0;
        QCOMPARE(ftdi_get_latency_timer(ctx, &latency), 0);
        QCOMPARE(int(latency), latencyMs);
        unsigned char buf[1024];
        QElapsedTimer clock;
        clock.start();
        if (readBefore)
            QCOMPARE(ftdi_read_data(ctx, buf, sizeof buf), 0); // the timer restarts
        arrived(*bench, waiting);
        QCOMPARE(ftdi_read_data(ctx, buf, sizeof buf), waiting);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= latencyMs, qPrintable(QString::number(elapsed)));
        ftdi_free(ctx);
    }

    void refusedLinePropertyFailsConnect()
    {
        LogCapture log;
        bench->withCable([](sim::VirtualCable &cable) { cable.refuseLineProperty(true); });
        UsbSerial link;
        QVERIFY(!link.Connect());
        QVERIFY(!link.isConnected());
        QVERIFY(log.contains("usbconnect"));
        QVERIFY(log.contains("unable to set line parameters"));
        const auto data = bench->requests(kSetData);
        QCOMPARE(int(data.size()), 1);
        QVERIFY(data[0].stalled);
        arrived(*bench, 3);
        QCOMPARE(link.readDataHex(), QString());
    }

    void writeToUnpluggedAdapterSignals()
    {
        UsbSerial link;
        QVERIFY(link.Connect());
        QSignalSpy errors(&link, SIGNAL(ftdiwriteError()));
        bench->unplug();
        link.writeDataStr("0xC1,0x33,0xF0");
        QCOMPARE(errors.count(), 3);
        unsigned char byte = 0xFE;
        link.writeDataHex(&byte);
        QCOMPARE(errors.count(), 4);
        QCOMPARE(link.readDataHex(), QString());
        bench->withCable([](sim::VirtualCable &cable) { QVERIFY(cable.transmitted().empty()); });
    }

    void noAdapterListsAndFails()
    {
        LogCapture log;
        bench->unplug();
        UsbSerial link;
        QVERIFY(!link.Connect());
        QVERIFY(!link.isConnected());
        QVERIFY(log.anyStartsWith("Number of devices found: 0"));
        QVERIFY(log.contains("unable to open device"));
        QVERIFY(!log.contains("usbconnect"));
        bench->plug();
        QVERIFY(link.Connect());
    }

    void bytesCrossTheLineAndTheEcuAnswers()
    {
        bench->withCable([](sim::VirtualCable &cable) {
            cable.seat(std::make_shared<sim::usbemu::IdentifyOnlyEcu>());
        });
        UsbSerial link;
        QVERIFY(link.Connect());
        unsigned char identify = 0xFE;
        link.writeDataHex(&identify);
        QString reply;
        QElapsedTimer clock;
        clock.start();
        while (fields(reply).size() < 3 && clock.elapsed() < 5000) {
            QTest::qWait(5);
            reply += link.readDataHex();
        }
        QCOMPARE(reply, QString("fe,1,0,")); // the adapter hears itself first
        bench->withCable([](sim::VirtualCable &cable) {
            QCOMPARE(int(cable.transmitted().size()), 1);
            QCOMPARE(int(cable.transmitted()[0].value), 0xFE);
            QCOMPARE(cable.transmitted()[0].baud, 15625);
        });
    }

    void secondLinkFindsTheAdapterBusy()
    {
        LogCapture log;
        auto first = std::make_unique<UsbSerial>();
        QVERIFY(first->Connect());
        UsbSerial second;
        QVERIFY(!second.Connect());
        QVERIFY(log.contains("unable to open device"));
        QSignalSpy errors(first.get(), SIGNAL(ftdiwriteError()));
        first->writeDataStr("0x81");
        QCOMPARE(errors.count(), 0);
        first.reset(); // releases the interface
        QVERIFY(second.Connect());
    }

    void synchronousControlIoctl()
    {
        const int fd = ::open(bench->devNode().c_str(), O_RDWR);
        QVERIFY(fd >= 0);
        std::uint8_t descriptor[18] = {0};
        usbdevfs_ctrltransfer get = {0x80, 0x06, 0x0100, 0, sizeof descriptor, 1000, descriptor};
        QCOMPARE(ioctl(fd, USBDEVFS_CONTROL, &get), 18);
        QCOMPARE(int(descriptor[8]), 0x33);
        QCOMPARE(int(descriptor[10]), 0x66);
        QCOMPARE(int(descriptor[12] | descriptor[13] << 8), 0x0600);
        std::uint8_t latency = 0;
        usbdevfs_ctrltransfer ask = {0xC0, 0x0A, 0, 1, 1, 1000, &latency};
        QCOMPARE(ioctl(fd, USBDEVFS_CONTROL, &ask), 1);
        QCOMPARE(int(latency), 16);
        usbdevfs_ctrltransfer bogus = {0x40, 0x55, 0, 1, 0, 1000, nullptr};
        QCOMPARE(ioctl(fd, USBDEVFS_CONTROL, &bogus), -1);
        QCOMPARE(errno, EPIPE);
        ::close(fd);
    }

    void goneHandleLeavesTheInterfaceFree_data()
    {
        QTest::addColumn<bool>("killedMidRequest");
        QTest::newRow("closed without releasing") << false;
        QTest::newRow("killed before its claim was answered") << true;
    }
    void goneHandleLeavesTheInterfaceFree()
    {
        // The kernel releases a handle's claim the moment its file goes, so
        // the next program gets the interface at its first attempt.
        QFETCH(bool, killedMidRequest);
        bool gone = false;
        if (killedMidRequest) {
            // Under the emulator's lock: the host takes up the request only
            // once the socket has closed, as when the program dies waiting.
            bench->withCable([&](sim::VirtualCable &) { gone = claimAndDie(bench->devNode()); });
        } else {
            gone = claimAndClose(bench->devNode());
        }
        QVERIFY(gone);
        UsbSerial link;
        QVERIFY(link.Connect());
    }

    void finishedTransferOutlivesTheUnplug()
    {
        // A URB that completed just before the plug was pulled is still
        // handed back, as usbfs does; only then does the handle say "no
        // device". Losing it left libusb waiting on it for ever.
        const int fd = ::open(bench->devNode().c_str(), O_RDWR);
        QVERIFY(fd >= 0);
        std::uint8_t status[64] = {0};
        usbdevfs_urb urb{};
        urb.type = USBDEVFS_URB_TYPE_BULK;
        urb.endpoint = 0x81;
        urb.buffer = status;
        urb.buffer_length = sizeof status;
        QCOMPARE(ioctl(fd, USBDEVFS_SUBMITURB, &urb), 0);
        bench->unplug();
        void *reaped = nullptr;
        QCOMPARE(ioctl(fd, USBDEVFS_REAPURBNDELAY, &reaped), 0);
        QCOMPARE(reaped, static_cast<void *>(&urb));
        QCOMPARE(urb.status, 0);
        QCOMPARE(urb.actual_length, 2); // the modem status bytes
        QCOMPARE(ioctl(fd, USBDEVFS_REAPURBNDELAY, &reaped), -1);
        QCOMPARE(errno, ENODEV);
        QCOMPARE(ioctl(fd, USBDEVFS_SUBMITURB, &urb), -1);
        QCOMPARE(errno, ENODEV);
        ::close(fd);
    }

    void unreadableTransferBufferIsRefused_data()
    {
        QTest::addColumn<int>("endpoint");
        QTest::newRow("bulk out") << 0x02;
        QTest::newRow("bulk in") << 0x81;
    }
    void unreadableTransferBufferIsRefused()
    {
        // What the emulator meets when a program dies in the middle of a
        // submission: the buffer cannot be read from it. usbfs says EFAULT;
        // sending bytes from nowhere took the whole host down.
        QFETCH(int, endpoint);
        const int fd = ::open(bench->devNode().c_str(), O_RDWR);
        QVERIFY(fd >= 0);
        usbdevfs_urb urb{};
        urb.type = USBDEVFS_URB_TYPE_BULK;
        urb.endpoint = std::uint8_t(endpoint);
        urb.buffer = nullptr;
        urb.buffer_length = 3;
        QCOMPARE(ioctl(fd, USBDEVFS_SUBMITURB, &urb), -1);
        QCOMPARE(errno, EFAULT);
        ::close(fd);
        bench->withCable([](sim::VirtualCable &cable) { QVERIFY(cable.transmitted().empty()); });
    }

    void dtrFollowsWriteDataBit()
    {
        UsbSerial link;
        QVERIFY(link.Connect());
        link.writeDataBit(0);
        link.writeDataBit(5);
        const auto modem = bench->requests(kModemCtrl);
        QCOMPARE(int(modem.size()), 2);
        QCOMPARE(int(modem[0].value), 0x0100);
        QCOMPARE(int(modem[1].value), 0x0101);
        bench->withCable([](sim::VirtualCable &cable) {
            QCOMPARE(int(cable.dtrEdges().size()), 2);
            QVERIFY(!cable.dtrEdges()[0].level);
            QVERIFY(cable.line().dtr);
        });
    }
};

int main(int argc, char **argv)
{
    sim::usbemu::ensureUmockdevPreload(argv);
    QCoreApplication app(argc, argv);
    TestUsbLink test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_usblink.moc"
