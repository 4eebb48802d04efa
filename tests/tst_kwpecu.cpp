// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated KWP ECU on its own, driven through the link: it must answer
// like an ISO 14230 ECU and refuse what such an ECU would refuse.
#include "support/simsupport.h"

#include "ecu/linebytes.h"
#include "kwp/kwpreply.h"
#include "link/usbserial.h"
#include "sim/kwpecu.h"

#include <QtTest>

#include <algorithm>

using sim::KwpEcu;
using sim::KwpEcuConfig;
using sim::VirtualCable;

namespace {

// Drives the ECU through the link on a clock of the test's own, so that
// pulse widths and waits are exact however busy the machine is.
struct Tester {
    explicit Tester(const KwpEcuConfig &config = KwpEcuConfig())
        : ecu(std::make_shared<KwpEcu>(config)), now(sim::nowNs())
    {
        sim::setClock([this] { return now; });
        sim::setSleeper([this](sim::Nanos until) { now = std::max(now, until); });
        VirtualCable::instance().seat(ecu);
        link.Connect();
        link.writeDataBit(1);
        link.setBaud(10400);
    }
    ~Tester() { sim::setClock(nullptr); }
    void wait(int ms) { now += sim::Nanos(ms) * 1000000; }
    void pulse(int ms)
    {
        link.writeDataBit(0);
        wait(ms);
        link.writeDataBit(1);
        wait(25);
        link.readDataHex();
    }
    // The ECU's answer alone, echo removed; empty when it sent nothing.
    QStringList exchange(const QString &cmd)
    {
        link.writeDataStr(cmd);
        wait(110);
        QString reply = link.readDataHex();
        reply.chop(1);
        return reply.split(',').mid(cmd.split(',').size());
    }
    QStringList exchange(const KwpFrame &frame) { return exchange(frame.text()); }
    QStringList login()
    {
        pulse(25);
        return exchange(KwpFrames::StartComm);
    }
    std::shared_ptr<KwpEcu> ecu;
    sim::Nanos now;
    UsbSerial link;
};

int hex(const QStringList &answer, int i)
{
    return answer.value(i).toInt(nullptr, 16);
}

// Format, target 0xF0, source 0x10, the given service, length and checksum.
bool wellFormed(const QStringList &answer, int service)
{
    if (answer.size() < 5)
        return false;
    int sum = 0;
    for (int i = 0; i + 1 < answer.size(); ++i)
        sum += hex(answer, i);
    return (hex(answer, 0) & 0xC0) == 0x80 && (hex(answer, 0) & 0x3F) == answer.size() - 4
           && hex(answer, 1) == 0xF0 && hex(answer, 2) == 0x10 && hex(answer, 3) == service
           && hex(answer, answer.size() - 1) == sum % 256;
}
} // namespace

class TestKwpEcu : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void wakesOnlyOnAFastInitPulse_data()
    {
        QTest::addColumn<int>("pulseMs");
        QTest::addColumn<bool>("answers");
        QTest::newRow("10 ms") << 10 << false;
        QTest::newRow("20 ms") << 20 << true;
        QTest::newRow("25 ms") << 25 << true;
        QTest::newRow("60 ms") << 60 << false;
    }
    void wakesOnlyOnAFastInitPulse()
    {
        QFETCH(int, pulseMs);
        QFETCH(bool, answers);
        Tester t;
        QVERIFY(t.exchange(KwpFrames::StartComm).isEmpty()); // asleep before any pulse
        t.pulse(pulseMs);
        const QStringList answer = t.exchange(KwpFrames::StartComm);
        QCOMPARE(!answer.isEmpty(), answers);
        if (answers)
            QVERIFY(wellFormed(answer, 0xC1));
        QCOMPARE(t.ecu->pulseWidthsMs().size(), std::size_t(1));
        QVERIFY(t.ecu->pulseWidthsMs()[0] >= pulseMs);
    }

    void listensAt10400BaudOnly()
    {
        Tester t;
        t.link.setBaud(15630);
        t.pulse(25);
        QVERIFY(t.exchange(KwpFrames::StartComm).isEmpty());
        t.link.setBaud(10400);
        QVERIFY(wellFormed(t.exchange(KwpFrames::StartComm), 0xC1));
    }

    void answersEachRequest_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("service");
        QTest::newRow("StartSession") << KwpFrames::StartSession.text() << 0x50;
        QTest::newRow("ReadLocalIdFE") << KwpFrames::ReadLocalIdFE.text() << 0x61;
        QTest::newRow("RoutineCE20") << KwpFrames::RoutineCE20.text() << 0x71;
        QTest::newRow("Hold") << KwpFrames::Hold.text() << 0x71;
        QTest::newRow("TesterPresent") << KwpFrames::TesterPresent.text() << 0x7E;
        QTest::newRow("ReadDtcHistory") << KwpFrames::ReadDtcHistory.text() << 0x58;
        QTest::newRow("ReadDtcCurrent") << KwpFrames::ReadDtcCurrent.text() << 0x58;
        QTest::newRow("ClearDtc") << KwpFrames::ClearDtc.text() << 0x54;
        QTest::newRow("0x82,0x10,0xF0,0x21,0x01,0xA4") << "0x82,0x10,0xF0,0x21,0x01,0xA4" << 0x7F;
        QTest::newRow("0x82,0x10,0xF0,0x22,0x01,0xA5") << "0x82,0x10,0xF0,0x22,0x01,0xA5" << 0x7F;
        QTest::newRow("0x83,0x10,0xF0,0x31,0x70,0xCD,0xF1")
            << "0x83,0x10,0xF0,0x31,0x70,0xCD,0xF1" << 0x7F;
    }
    void answersEachRequest()
    {
        QFETCH(QString, request);
        QFETCH(int, service);
        Tester t;
        QVERIFY(!t.login().isEmpty());
        QVERIFY(wellFormed(t.exchange(request), service));
    }

    void answersWithinTheResponseWindow_data()
    {
        QTest::addColumn<int>("responseMs");
        QTest::newRow("25") << 25;
        QTest::newRow("50") << 50;
        QTest::newRow("90 clamped to 50") << 90;
    }
    void answersWithinTheResponseWindow()
    {
        QFETCH(int, responseMs);
        KwpEcuConfig config;
        config.responseMs = responseMs;
        Tester t(config);
        QVERIFY(!t.login().isEmpty());
        VirtualCable &cable = VirtualCable::instance();
        t.link.writeDataStr(KwpFrames::Hold.text());
        const sim::Nanos lastByteEnd = cable.transmitted().back().endsAt;
        // The echo arrives first; the answer's first byte ends one byte time
        // after the response time has passed.
        t.now = lastByteEnd;
        for (int step = 0; step < 2000 && cable.receivePending() <= 7; ++step)
            t.now += 100000; // 0.1 ms
        const double firstAnswerMs = double(sim::nowNs() - lastByteEnd) / 1e6;
        const double expectedMs = qBound(25, responseMs, 50) + 10.0 * 1000.0 / 10399;
        QVERIFY2(firstAnswerMs >= expectedMs - 0.05, qPrintable(QString::number(firstAnswerMs)));
        QVERIFY2(firstAnswerMs < expectedMs + 0.15, qPrintable(QString::number(firstAnswerMs)));
        QVERIFY(!t.exchange(KwpFrames::Hold).isEmpty());
    }

    void ignoresFramesNotMeantForIt_data()
    {
        QTest::addColumn<QString>("request");
        QTest::newRow("bad checksum 0xEF") << "0x83,0x10,0xF0,0x31,0x70,0xCA,0xEF";
        QTest::newRow("target 0x11") << "0x83,0x11,0xF0,0x31,0x70,0xCA,0xEF";
        QTest::newRow("source 0xF1") << "0x83,0x10,0xF1,0x31,0x70,0xCA,0xEF";
        QTest::newRow("functional to 0x10") << "0xC1,0x10,0xF0,0x3E,0xFF";
        QTest::newRow("no address format") << "0x03,0x31,0x70,0xCA,0x6E";
    }
    void ignoresFramesNotMeantForIt()
    {
        QFETCH(QString, request);
        Tester t;
        QVERIFY(!t.login().isEmpty());
        const int ignored = t.ecu->ignoredFrames();
        QVERIFY(t.exchange(request).isEmpty());
        QCOMPARE(t.ecu->ignoredFrames(), ignored + 1);
        QVERIFY(wellFormed(t.exchange(KwpFrames::Hold), 0x71)); // still in session
    }

    void pointerMovesWithWrapAround()
    {
        KwpEcuConfig config;
        config.items = {{1, 0x11}, {2, 0x22}, {3, 0x33}};
        Tester t(config);
        QVERIFY(!t.login().isEmpty());
        QStringList a = t.exchange(KwpFrames::Hold);
        QCOMPARE(a.mid(4, 5), QStringList({"70", "d0", "1", "11", "0"}));
        QCOMPARE(t.exchange(KwpFrames::Up).value(6), QString("2"));
        QCOMPARE(t.exchange(KwpFrames::Up).value(6), QString("3"));
        QCOMPARE(t.exchange(KwpFrames::Up).value(6), QString("1"));
        QCOMPARE(t.exchange(KwpFrames::Down).value(6), QString("3"));
        a = t.exchange(KwpFrames::Hold);
        QCOMPARE(a.value(7), QString("33"));
    }

    void actuatorCheckReportsD1WhileItLasts()
    {
        KwpEcuConfig config;
        config.items = {{1, 0x10}, {30, 0x00, true}};
        config.actuatorMs = 600;
        Tester t(config);
        QVERIFY(!t.login().isEmpty());
        QVERIFY(wellFormed(t.exchange(KwpFrames::RoutineCE20), 0x71));
        QVERIFY(wellFormed(t.exchange(KwpFrames::Action), 0x71)); // the login's own check
        QVERIFY(wellFormed(t.exchange(KwpFrames::Action), 0x7F)); // TPS is no actuator
        t.exchange(KwpFrames::Up);
        QVERIFY(wellFormed(t.exchange(KwpFrames::Action), 0x71));
        QCOMPARE(t.exchange(KwpFrames::Hold).value(5), QString("d1"));
        t.wait(700);
        QCOMPARE(t.exchange(KwpFrames::Hold).value(5), QString("d0"));
    }

    void faultCodeAnswersAndClear()
    {
        KwpEcuConfig config;
        config.history = {{0x0113, 0x20}, {0x0a12, 0x20}};
        config.current = {{0x0122, 0xA1}};
        Tester t(config);
        QVERIFY(!t.login().isEmpty());
        QStringList h = t.exchange(KwpFrames::ReadDtcHistory);
        QVERIFY(wellFormed(h, 0x58));
        QCOMPARE(h.mid(3, 8), QStringList({"58", "2", "1", "13", "20", "a", "12", "20"}));
        QStringList c = t.exchange(KwpFrames::ReadDtcCurrent);
        QCOMPARE(c.mid(3, 5), QStringList({"58", "2", "1", "22", "a1"})); // two per record
        QVERIFY(wellFormed(t.exchange(KwpFrames::ClearDtc), 0x54));
        QCOMPARE(t.exchange(KwpFrames::ReadDtcHistory).mid(3, 2), QStringList({"58", "0"}));
        QCOMPARE(t.exchange(KwpFrames::ReadDtcCurrent).mid(3, 2), QStringList({"58", "0"}));
    }

    void silentOnceTheSessionHasTimedOut()
    {
        KwpEcuConfig config;
        config.sessionTimeoutMs = 300;
        Tester t(config);
        QVERIFY(!t.login().isEmpty());
        QVERIFY(!t.exchange(KwpFrames::Hold).isEmpty());
        t.wait(400);
        QVERIFY(t.exchange(KwpFrames::Hold).isEmpty());
        QVERIFY(t.exchange(KwpFrames::StartComm).isEmpty());
        QVERIFY(!t.login().isEmpty()); // a new wake-up starts over
    }

    void coModeAfterTheCoLogin()
    {
        KwpEcuConfig config;
        config.rpm = 0x05DC;
        Tester t(config);
        QVERIFY(!t.login().isEmpty());
        t.exchange(KwpFrames::RoutineCE20);
        QCOMPARE(t.exchange(KwpFrames::Hold).value(5), QString("d0"));
        t.exchange(KwpFrames::Up);
        t.exchange(KwpFrames::Hold);
        t.exchange(KwpFrames::Action);
        QVERIFY(t.ecu->coMode());
        const QStringList a = t.exchange(KwpFrames::Hold);
        QVERIFY(wellFormed(a, 0x71));
        QCOMPARE(a.value(5), QString("c8"));
        QCOMPARE(a.mid(8, 2), QStringList({"5", "dc"}));
        t.ecu->config().engineRunning = false;
        QCOMPARE(t.exchange(KwpFrames::Hold).size(), 9);
    }
};

QTEST_MAIN(TestKwpEcu)
#include "tst_kwpecu.moc"
