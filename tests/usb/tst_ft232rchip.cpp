// SPDX-License-Identifier: GPL-3.0-or-later
// The emulated chip's decoding on its own: divisors, line properties,
// modem control and the packets of a bulk IN transfer.
#include "sim/usbemu/ft232rchip.h"

#include <QtTest>

using sim::VirtualCable;
using sim::usbemu::Ft232rChip;
using sim::usbemu::Outcome;
using sim::usbemu::SetupPacket;

namespace {
constexpr sim::Nanos kMs = 1000000;

SetupPacket vendorOut(std::uint8_t request, std::uint16_t value, std::uint16_t index = 1)
{
    SetupPacket s;
    s.requestType = 0x40;
    s.request = request;
    s.value = value;
    s.index = index;
    return s;
}

void queueArrived(int count)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(std::uint8_t(0x80 + i));
    VirtualCable::instance().ecuSend(bytes, sim::nowNs() - 10000000000LL); // long arrived
}
} // namespace

class TestFt232rChip : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void divisorGivesRate_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("rate");
        QTest::newRow("0x00C0") << 0x00C0 << 0 << 15625;
        QTest::newRow("0x4120") << 0x4120 << 0 << 10399;
        QTest::newRow("0x4138") << 0x4138 << 0 << 9600;
        QTest::newRow("0x8138") << 0x8138 << 0 << 9608;      // code 2: a quarter
        QTest::newRow("0x0138+idx1") << 0x0138 << 1 << 9604; // code 4: three eighths
        QTest::newRow("0x0000") << 0x0000 << 0 << 3000000;
        QTest::newRow("0x0001") << 0x0001 << 0 << 2000000;
    }
    void divisorGivesRate()
    {
        QFETCH(int, value);
        QFETCH(int, index);
        QFETCH(int, rate);
        QCOMPARE(sim::usbemu::baudFromDivisor(std::uint16_t(value), std::uint16_t(index)), rate);
    }

    void lineProperty_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("parity");
        QTest::newRow("0x0008") << 0x0008 << 8 << 1 << 0;
        QTest::newRow("0x1207") << 0x1207 << 7 << 2 << 2;
        QTest::newRow("0x0908") << 0x0908 << 8 << 15 << 1;
    }
    void lineProperty()
    {
        QFETCH(int, value);
        Ft232rChip chip(VirtualCable::instance());
        QCOMPARE(chip.claim(), 0);
        std::vector<std::uint8_t> none;
        QVERIFY(chip.control(vendorOut(0x04, std::uint16_t(value)), none) == Outcome::Done);
        const sim::LineState &line = VirtualCable::instance().line();
        QTEST(line.bits, "bits");
        QTEST(line.stopBits, "stopBits");
        QTEST(line.parity, "parity");
    }

    void modemControlOnlyWithTheDtrMask()
    {
        Ft232rChip chip(VirtualCable::instance());
        QCOMPARE(chip.claim(), 0);
        std::vector<std::uint8_t> none;
        QVERIFY(chip.control(vendorOut(0x01, 0x0202), none) == Outcome::Done); // RTS only
        QVERIFY(VirtualCable::instance().dtrEdges().empty());
        QVERIFY(chip.control(vendorOut(0x01, 0x0101), none) == Outcome::Done);
        QVERIFY(VirtualCable::instance().line().dtr);
        QCOMPARE(int(chip.requests().size()), 2);
    }

    void refusalsStall()
    {
        Ft232rChip chip(VirtualCable::instance());
        std::vector<std::uint8_t> none;
        QCOMPARE(chip.claim(), 0);
        QVERIFY(chip.control(vendorOut(0x55, 0), none) == Outcome::Stall); // no such request
        QVERIFY(chip.control(vendorOut(0x09, 0), none) == Outcome::Stall); // latency 0 ms
        VirtualCable::instance().refuseLineProperty(true);
        QVERIFY(chip.control(vendorOut(0x04, 0x0008), none) == Outcome::Stall);
        QVERIFY(chip.requests().back().stalled);
        VirtualCable::instance().unplug();
        QVERIFY(chip.control(vendorOut(0x04, 0x0008), none) == Outcome::NoDevice);
    }

    void secondClaimIsBusy()
    {
        Ft232rChip first(VirtualCable::instance());
        Ft232rChip second(VirtualCable::instance());
        QCOMPARE(first.claim(), 0);
        QVERIFY(second.claim() < 0);
        first.release();
        QCOMPARE(second.claim(), 0);
    }

    // What is waiting goes in full packets at once; the rest, and the
    // status bytes that end the transfer, when the latency timer runs out.
    void bulkInPackets_data()
    {
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("room");
        QTest::addColumn<int>("filled");
        QTest::addColumn<int>("endsMs");
        QTest::newRow("nothing") << 0 << 4096 << 2 << 0;
        QTest::newRow("62 bytes") << 62 << 4096 << 66 << 16; // a full packet, then status only
        QTest::newRow("63 bytes") << 63 << 4096 << 67 << 16;
        QTest::newRow("1500 bytes") << 1500 << 4096 << 1550 << 16;
        QTest::newRow("room 100") << 200 << 100 << 100 << 0;
    }
    void bulkInPackets()
    {
        QFETCH(int, waiting);
        QFETCH(int, room);
        Ft232rChip chip(VirtualCable::instance());
        QCOMPARE(chip.claim(), 0);
        queueArrived(waiting);
        std::vector<std::uint8_t> buf(std::size_t(room), 0);
        int filled = 0;
        const sim::Nanos start = sim::nowNs();
        sim::Nanos ends = 0;
        QVERIFY(chip.bulkIn(buf.data(), room, filled, start, ends) == Outcome::Done);
        QTEST(filled, "filled");
        QTEST(int((ends - start) / kMs), "endsMs");
        int data = 0;
        for (int at = 0; at < filled; at += 64) {
            QCOMPARE(int(buf[std::size_t(at)]), 0x01);     // modem status
            QCOMPARE(int(buf[std::size_t(at) + 1]), 0x60); // line status
            for (int i = at + 2; i < std::min(filled, at + 64); ++i, ++data)
                QCOMPARE(int(buf[std::size_t(i)]), (0x80 + data) & 0xFF);
        }
    }

    // The timer restarts at every packet: a transfer started `gapMs` after
    // an empty one ended, with `bytes` arriving `arriveMs` after that start.
    void latencyTimerPhase_data()
    {
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("arriveMs");
        QTest::addColumn<int>("filled");
        QTest::addColumn<int>("endsMs");
        QTest::newRow("at once: waits a period") << 16 << 0 << 0 << 0 << 2 << 16;
        QTest::newRow("5 ms on: the rest of it") << 16 << 5 << 0 << 0 << 2 << 11;
        QTest::newRow("ran out: answered at once") << 16 << 40 << 0 << 0 << 2 << 0;
        QTest::newRow("bytes in the wait go with it") << 16 << 0 << 10 << 3 << 12 << 16;
        QTest::newRow("bytes after the run-out wait") << 16 << 0 << 10 << 20 << 2 << 16;
        QTest::newRow("a full packet goes when full") << 16 << 0 << 62 << 3 << 66 << 19;
        QTest::newRow("1 ms timer") << 1 << 0 << 10 << 0 << 12 << 1;
        QTest::newRow("255 ms timer") << 255 << 0 << 10 << 3 << 12 << 255;
    }
    void latencyTimerPhase()
    {
        QFETCH(int, latencyMs);
        QFETCH(int, gapMs);
        QFETCH(int, bytes);
        QFETCH(int, arriveMs);
        VirtualCable &cable = VirtualCable::instance();
        Ft232rChip chip(cable);
        QCOMPARE(chip.claim(), 0);
        std::vector<std::uint8_t> none;
        QVERIFY(chip.control(vendorOut(0x09, std::uint16_t(latencyMs)), none) == Outcome::Done);
        QCOMPARE(chip.latencyMs(), latencyMs);
        std::vector<std::uint8_t> buf(4096);
        int filled = 0;
        sim::Nanos ends = 0;
        const sim::Nanos first = sim::nowNs();
        QVERIFY(chip.bulkIn(buf.data(), 4096, filled, first, ends) == Outcome::Done);
        QCOMPARE(filled, 2); // nothing waiting, the timer long run out
        const sim::Nanos start = ends + gapMs * kMs;
        // At 3 MBd the bytes come all but together (3.3 us each).
        QVERIFY(chip.control(vendorOut(0x03, 0x0000, 0), none) == Outcome::Done);
        cable.ecuSend(std::vector<std::uint8_t>(std::size_t(bytes), 0x55),
                      start + arriveMs * kMs - cable.byteTimeNs());
        QVERIFY(chip.bulkIn(buf.data(), 4096, filled, start, ends) == Outcome::Done);
        QTEST(filled, "filled");
        QTEST(int((ends - start) / kMs), "endsMs");
    }
};

QTEST_GUILESS_MAIN(TestFt232rChip)
#include "tst_ft232rchip.moc"

#include <cstdint>
