// SPDX-License-Identifier: GPL-3.0-or-later
// The libftdi1 seam: the library calls the link makes, answered by the
// simulated cable, checked on a clock the test controls.
#include "support/simsupport.h"

#include <ftdi.h>

#include "virtualmain.h"
#include <QtTest>

#include <algorithm>

using sim::Nanos;
using sim::VirtualCable;

namespace {
using Bytes = std::vector<std::uint8_t>;
constexpr Nanos kMs = 1000000;

Nanos fakeNow = 0;

// A context that holds the adapter, freed at the end of the scope.
struct OpenContext {
    ftdi_context *ctx = ftdi_new();
    int opened = ftdi_usb_open(ctx, 0x0433, 0x6066);
    ~OpenContext() { ftdi_free(ctx); }
};

// Hears every byte and answers each with byte + 1 after 5 ms.
class EchoPlusOne : public sim::EcuModel
{
public:
    void onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                const sim::LineState &line) override
    {
        heard.push_back({byte, heardAt, line.baud});
        cable.ecuSend({std::uint8_t(byte + 1)}, heardAt + 5 * kMs);
    }
    void onDtr(VirtualCable &, bool level, Nanos) override { dtr.push_back(level); }
    struct Heard {
        std::uint8_t byte;
        Nanos at;
        int baud;
    };
    std::vector<Heard> heard;
    std::vector<bool> dtr;
};

Bytes readAll(ftdi_context *ctx, int size = 1024)
{
    Bytes buf(static_cast<std::size_t>(size));
    const int n = ftdi_read_data(ctx, buf.data(), size);
    buf.resize(std::size_t(qMax(n, 0)));
    return buf;
}
} // namespace

class TestLinkCable : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        sim::setClock([] { return fakeNow; });
        sim::setSleeper([](Nanos until) { fakeNow = std::max(fakeNow, until); });
        fakeNow = 1000 * kMs;
        VirtualCable::instance().reset();
    }
    void cleanup() { sim::setClock(nullptr); }

    void freshContextSettings()
    {
        ftdi_context *ctx = ftdi_new();
        QVERIFY(ctx);
        QCOMPARE(ctx->usb_read_timeout, 5000);
        QCOMPARE(ctx->usb_write_timeout, 5000);
        QCOMPARE(int(ctx->readbuffer_chunksize), 4096);
        QCOMPARE(int(ctx->writebuffer_chunksize), 4096);
        QCOMPARE(ctx->in_ep, 0x02); // libftdi1 names the write endpoint "in"
        QCOMPARE(ctx->out_ep, 0x81);
        ftdi_free(ctx);
    }

    void contextsAreCounted()
    {
        VirtualCable &cable = VirtualCable::instance();
        const int before = cable.contextsAlive();
        ftdi_context *a = ftdi_new();
        ftdi_context *b = ftdi_new();
        QCOMPARE(cable.contextsAlive(), before + 2);
        ftdi_free(a);
        ftdi_free(b);
        QCOMPARE(cable.contextsAlive(), before);
        cable.failNextNew(2);
        QVERIFY(!ftdi_new());
        QVERIFY(!ftdi_new());
        ftdi_context *c = ftdi_new();
        QVERIFY(c);
        ftdi_free(c);
    }

    void oneHolderAtATime()
    {
        VirtualCable &cable = VirtualCable::instance();
        ftdi_context *first = ftdi_new();
        ftdi_context *second = ftdi_new();
        QCOMPARE(ftdi_usb_open(first, 0x0433, 0x6066), 0);
        QCOMPARE(ftdi_usb_open(second, 0x0433, 0x6066), -5);
        QCOMPARE(ftdi_usb_open(second, 0x0403, 0x6001), -3); // not our adapter
        QCOMPARE(ftdi_usb_close(first), 0);
        QCOMPARE(ftdi_usb_open(second, 0x0433, 0x6066), 0);
        ftdi_free(second); // freeing releases the device too
        QVERIFY(!cable.held());
        QCOMPARE(ftdi_usb_open(first, 0x0433, 0x6066), 0);
        ftdi_free(first);
        QCOMPARE(cable.openHandles(), 0);
    }

    void callsWithoutAnOpenDeviceFail()
    {
        VirtualCable &cable = VirtualCable::instance();
        ftdi_context *ctx = ftdi_new();
        const unsigned char byte = 0x55;
        unsigned char buf[8];
        QVERIFY(ftdi_write_data(ctx, &byte, 1) < 0);
        QVERIFY(ftdi_setdtr(ctx, 1) < 0);
        QVERIFY(ftdi_set_baudrate(ctx, 15630) < 0);
        QVERIFY(ftdi_set_line_property(ctx, BITS_8, STOP_BIT_1, NONE) < 0);
        QVERIFY(ftdi_read_data(ctx, buf, 8) < 0);
        QVERIFY(QByteArray(ftdi_get_error_string(ctx)).size() > 0);
        QVERIFY(cable.transmitted().empty());
        QVERIFY(cable.dtrEdges().empty());
        QVERIFY(cable.baudChanges().empty());
        ftdi_free(ctx);
    }

    void unplugAtAnyMoment()
    {
        VirtualCable &cable = VirtualCable::instance();
        OpenContext open;
        QCOMPARE(open.opened, 0);
        const unsigned char byte = 0x55;
        QCOMPARE(ftdi_write_data(open.ctx, &byte, 1), 1);
        cable.unplug();
        QVERIFY(ftdi_write_data(open.ctx, &byte, 1) < 0);
        QVERIFY(ftdi_setdtr(open.ctx, 1) < 0);
        unsigned char buf[8];
        QVERIFY(ftdi_read_data(open.ctx, buf, 8) < 0);
        cable.plug();
        QVERIFY(ftdi_write_data(open.ctx, &byte, 1) < 0); // the old handle is dead
        QCOMPARE(ftdi_usb_open(open.ctx, 0x0433, 0x6066), 0);
        QCOMPARE(ftdi_write_data(open.ctx, &byte, 1), 1);
        QCOMPARE(int(cable.transmitted().size()), 2);
        QCOMPARE(cable.openHandles(), 1);
        cable.unplug();
        OpenContext other;
        QCOMPARE(other.opened, -3);
    }

    void resetTakesTheDeviceFromOldContexts()
    {
        VirtualCable &cable = VirtualCable::instance();
        OpenContext open;
        cable.reset();
        const unsigned char byte = 0x55;
        QVERIFY(ftdi_write_data(open.ctx, &byte, 1) < 0);
        OpenContext next;
        QCOMPARE(next.opened, 0);
    }

    void chipBaud_data()
    {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("actual");
        QTest::newRow("15630") << 15630 << 15625;
        QTest::newRow("10400") << 10400 << 10399;
        QTest::newRow("9600") << 9600 << 9600;
        QTest::newRow("115200") << 115200 << 115385;
        QTest::newRow("3000000") << 3000000 << 3000000;
        QTest::newRow("2000000") << 2000000 << 2000000;
        QTest::newRow("1500000") << 1500000 << 1500000;
        QTest::newRow("1700000") << 1700000 << 0; // 12 % off the nearest
        QTest::newRow("183") << 183 << 183;
        QTest::newRow("150") << 150 << 0; // below the largest divisor
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("-5") << -5 << 0;
    }
    void chipBaud()
    {
        QFETCH(int, requested);
        QFETCH(int, actual);
        QCOMPARE(VirtualCable::chipBaud(requested), actual);
        VirtualCable &cable = VirtualCable::instance();
        OpenContext open;
        QCOMPARE(cable.line().baud, 9600); // what the open sets
        QCOMPARE(ftdi_set_baudrate(open.ctx, requested) == 0, actual != 0);
        QCOMPARE(cable.line().baud, actual ? actual : 9600);
        QCOMPARE(cable.baudChanges().back().actual, actual);
    }

    void lineProperties()
    {
        VirtualCable &cable = VirtualCable::instance();
        OpenContext open;
        QCOMPARE(ftdi_set_line_property(open.ctx, BITS_7, STOP_BIT_2, EVEN), 0);
        QCOMPARE(cable.line().bits, 7);
        QCOMPARE(cable.line().stopBits, 2);
        QCOMPARE(cable.line().parity, int(EVEN));
        cable.refuseLineProperty(true);
        QVERIFY(ftdi_set_line_property(open.ctx, BITS_8, STOP_BIT_1, NONE) < 0);
        QCOMPARE(cable.line().bits, 7);
    }

    void echoAfterTenBitTimes()
    {
        VirtualCable &cable = VirtualCable::instance();
        OpenContext open;
        QCOMPARE(ftdi_set_baudrate(open.ctx, 10400), 0);
        const Nanos byteTime = 10LL * 1000000000LL / 10399;
        QCOMPARE(cable.byteTimeNs(), byteTime);
        const unsigned char bytes[] = {0x81, 0x10};
        QCOMPARE(ftdi_write_data(open.ctx, bytes, 2), 2);
        const auto &tx = cable.transmitted();
        QCOMPARE(tx[0].writtenAt, fakeNow);
        QCOMPARE(tx[0].endsAt, fakeNow + byteTime);
        QCOMPARE(tx[1].endsAt, fakeNow + 2 * byteTime);
        QCOMPARE(tx[1].baud, 10399);
        const Nanos start = fakeNow;
        fakeNow = start + byteTime - 1;
        QCOMPARE(cable.receivePending(), 0); // not before its arrival
        fakeNow = start + byteTime;
        QCOMPARE(cable.receivePending(), 1);
        fakeNow = start + 2 * byteTime;
        QCOMPARE(readAll(open.ctx), (Bytes{0x81, 0x10}));
    }

    // libftdi's read loop over the chip's packets: a read with an answer
    // waiting ends one latency period later, when a packet brings nothing;
    // a read soon after another waits for the timer first; what arrives
    // meanwhile rides along and costs one more period. The clock is moved
    // on by the read itself (the sleeper), as the thread would be held.
    void readWaitsForTheChip_data()
    {
        QTest::addColumn<bool>("readBefore"); // an empty read just before
        QTest::addColumn<int>("waiting");     // bytes arrived by the read
        QTest::addColumn<int>("laterMs");     // one more byte arrives then (0: none)
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<int>("got");
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<int>("transfers");
        QTest::newRow("nothing, timer run out") << false << 0 << 0 << 16 << 0 << 0 << 1;
        QTest::newRow("an answer waiting") << false << 3 << 0 << 16 << 3 << 16 << 2;
        QTest::newRow("nothing, right after a read") << true << 0 << 0 << 16 << 0 << 16 << 1;
        QTest::newRow("answer, right after a read") << true << 3 << 0 << 16 << 3 << 32 << 2;
        QTest::newRow("a byte comes in the wait") << false << 2 << 9 << 16 << 3 << 32 << 3;
        QTest::newRow("a byte comes after it") << false << 2 << 20 << 16 << 2 << 16 << 2;
        QTest::newRow("1 ms timer") << false << 3 << 0 << 1 << 3 << 1 << 2;
        QTest::newRow("255 ms timer") << false << 3 << 0 << 255 << 3 << 255 << 2;
    }
    void readWaitsForTheChip()
    {
        QFETCH(bool, readBefore);
        QFETCH(int, waiting);
        QFETCH(int, laterMs);
        QFETCH(int, latencyMs);
        VirtualCable &cable = VirtualCable::instance();
        cable.setLatencyMs(latencyMs);
        OpenContext open;
        if (readBefore)
            QVERIFY(readAll(open.ctx).empty());
        const Nanos byteTime = cable.byteTimeNs();
        cable.ecuSend(Bytes(std::size_t(waiting), 0x31), fakeNow - waiting * byteTime);
        if (laterMs > 0)
            cable.ecuSend({0x32}, fakeNow + laterMs * kMs - byteTime);
        const Nanos start = fakeNow;
        QTEST(int(readAll(open.ctx).size()), "got");
        QTEST(int((fakeNow - start) / kMs), "elapsedMs");
        QCOMPARE(cable.reads().back().returnedAt, fakeNow);
        QTEST(cable.reads().back().transfers, "transfers");
    }

    void readsDrainUpToTheSizeAsked()
    {
        VirtualCable &cable = VirtualCable::instance();
        OpenContext open;
        cable.ecuSend(Bytes(1500, 0xAA), fakeNow);
        fakeNow += 2000 * kMs;
        QCOMPARE(cable.receivePending(), 1500);
        QCOMPARE(int(readAll(open.ctx, 1024).size()), 1024);
        QCOMPARE(int(readAll(open.ctx, 1024).size()), 476);
        QCOMPARE(int(readAll(open.ctx, 1024).size()), 0);
    }

    // A demo left running must not grow without end: the history keeps its
    // latest bytes and drops the oldest.
    void historyKeepsTheLatestBytes()
    {
        VirtualCable &cable = VirtualCable::instance();
        OpenContext open;
        for (int i = 0; i < 150000; ++i) {
            const unsigned char b = static_cast<unsigned char>(i & 0xff);
            QCOMPARE(ftdi_write_data(open.ctx, &b, 1), 1);
        }
        const auto &tx = cable.transmitted();
        QVERIFY(tx.size() <= 100000);
        QVERIFY(tx.size() >= 50000);
        QCOMPARE(int(tx.back().value), 149999 & 0xff);
        QCOMPARE(int(tx[tx.size() - 2].value), 149998 & 0xff);
    }

    void seatedEcuHearsAndAnswers()
    {
        VirtualCable &cable = VirtualCable::instance();
        auto ecu = std::make_shared<EchoPlusOne>();
        cable.seat(ecu);
        OpenContext open;
        QCOMPARE(ftdi_set_baudrate(open.ctx, 15630), 0);
        QCOMPARE(ftdi_setdtr(open.ctx, 0), 0);
        QCOMPARE(ftdi_setdtr(open.ctx, 1), 0);
        QCOMPARE(ecu->dtr, (std::vector<bool>{false, true}));
        const unsigned char byte = 0x41;
        const Nanos start = fakeNow;
        QCOMPARE(ftdi_write_data(open.ctx, &byte, 1), 1);
        const Nanos byteTime = cable.byteTimeNs();
        QCOMPARE(int(ecu->heard.size()), 1);
        QCOMPARE(ecu->heard[0].at, start + byteTime);
        QCOMPARE(ecu->heard[0].baud, 15625);
        fakeNow = start + byteTime + 5 * kMs + byteTime - 1;
        QCOMPARE(cable.receivePending(), 1); // the echo only
        fakeNow += 1;
        QCOMPARE(readAll(open.ctx), (Bytes{0x41, 0x42}));
    }

    void failingWrites()
    {
        VirtualCable &cable = VirtualCable::instance();
        OpenContext open;
        const unsigned char byte = 0x01;
        cable.failWrites(2);
        QVERIFY(ftdi_write_data(open.ctx, &byte, 1) < 0);
        QVERIFY(ftdi_write_data(open.ctx, &byte, 1) < 0);
        QCOMPARE(ftdi_write_data(open.ctx, &byte, 1), 1);
        cable.failWrites(VirtualCable::Forever);
        for (int i = 0; i < 5; ++i)
            QVERIFY(ftdi_write_data(open.ctx, &byte, 1) < 0);
        cable.failWrites(0);
        QCOMPARE(ftdi_write_data(open.ctx, &byte, 1), 1);
        QCOMPARE(int(cable.transmitted().size()), 2);
    }

    void listingShowsOnlyDefaultIdDevices()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.unplug();
        ftdi_context *ctx = ftdi_new();
        ftdi_device_list *list = nullptr;
        QCOMPARE(ftdi_usb_find_all(ctx, &list, 0, 0), 2);
        char m[128], d[128], s[128];
        QList<QByteArray> descriptions;
        for (ftdi_device_list *node = list; node; node = node->next) {
            QCOMPARE(ftdi_usb_get_strings(ctx, node->dev, m, 128, d, 128, s, 128), 0);
            descriptions << QByteArray(d);
        }
        QCOMPARE(descriptions, (QList<QByteArray>{"FT232R USB UART", "Dual RS232-HS"}));
        ftdi_list_free(&list);
        QVERIFY(!list);
        QCOMPARE(ftdi_usb_find_all(ctx, &list, 0x0433, 0x6066), 0); // never listed
        ftdi_free(ctx);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestLinkCable)
#include "tst_link_cable.moc"

#include <cstdint>
