// SPDX-License-Identifier: GPL-3.0-or-later
// Record sessions over the simulated cable through the recording layer,
// replay them with the replay ECU, and check that the line carries the same
// bytes both times; then change the tester's requests or the recording and
// check that the replay diverges where it should and says so.
#include "support/logcapture.h"
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include "examplesessions.h"
#include "link/usbserial.h"
#include "trace/recording.h"
#include "trace/replayecu.h"
#include "trace/traceparser.h"

#include "virtualmain.h"
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using sim::VirtualCable;
using namespace trace;

Q_DECLARE_METATYPE(ExampleSession)

namespace {

// The waits of a scripted session: the cable's clock moves on (virtual
// time here; nothing else needs to run meanwhile).
void lineWait(int ms)
{
    VirtualTime::advanceNs(sim::Nanos(ms) * 1000000);
}

struct Recorded {
    QStringList replies;
    std::vector<std::uint8_t> sent;
    ParseResult trace;
    QString path;
};

Recorded record(const ExampleSession &s, const QString &path)
{
    Recorded r;
    r.path = path;
    startRecording(path, "tst_tracereplay");
    r.replies = playSession(s, lineWait);
    stopRecording();
    r.sent = sentBytes();
    r.trace = parseFile(path);
    return r;
}

QByteArray writtenBytes(const QList<Event> &events)
{
    QByteArray out;
    for (const Event &e : events)
        if (e.kind == Kind::Write && e.rc > 0)
            out += e.bytes.left(e.rc);
    return out;
}

QByteArray toBytes(const std::vector<std::uint8_t> &v)
{
    return QByteArray(reinterpret_cast<const char *>(v.data()), int(v.size()));
}

// The trace line of the n-th request: the n-th write that follows no write.
int requestLine(const QList<Event> &events, int n)
{
    bool inRequest = false;
    for (const Event &e : events) {
        const bool write = e.kind == Kind::Write && e.rc > 0;
        if (write && !inRequest && n-- == 0)
            return e.line;
        inRequest = write || (inRequest && e.kind == Kind::Error);
    }
    return -1;
}

// The index among the key and frame steps of step `step`.
int exchangeIndex(const QList<LinkStep> &steps, int step)
{
    int n = 0;
    for (int i = 0; i < step; ++i)
        n += steps[i].type == LinkStep::Key || steps[i].type == LinkStep::Frame;
    return n;
}

QString echoOnly(const QByteArray &request)
{
    QString text;
    for (char c : request)
        text += QString::number(static_cast<std::uint8_t>(c), 16) + ',';
    return text;
}

void rewriteLine(const QString &path, int line, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    lines[line - 1] = text;
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(lines.join('\n'));
}

} // namespace

class TestTraceReplay : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;

    void sessions()
    {
        QTest::addColumn<ExampleSession>("session");
        QTest::newRow("auto") << autoExample();
        QTest::newRow("kwp") << kwpExample();
    }

private slots:
    // Recordings are stamped on the cable's clock, which is virtual here.
    void initTestCase()
    {
        trace::setRecordingClock([] { return sim::nowNs() / 1000; });
    }
    void init() { VirtualCable::instance().reset(); }

    void cleanup()
    {
        stopRecording();
        VirtualCable::instance().reset();
    }

    void recordingHoldsWhatTheCableSaw_data() { sessions(); }
    void recordingHoldsWhatTheCableSaw()
    {
        QFETCH(ExampleSession, session);
        const Recorded r = record(session, dir.filePath(session.name + "-cable.ktrace"));
        QVERIFY2(r.trace.ok, qPrintable(errorText(r.path, r.trace.error)));
        QVERIFY(r.trace.ended);
        QCOMPARE(writtenBytes(r.trace.events), toBytes(r.sent));
        QList<int> dtrLevels, cableDtr, bauds, cableBauds;
        QStringList kinds;
        for (const Event &e : r.trace.events) {
            kinds << QString::fromLatin1(kindName(e.kind));
            if (e.kind == Kind::Dtr)
                dtrLevels << e.arg1;
            if (e.kind == Kind::Baud)
                bauds << e.arg1;
        }
        for (const auto &d : VirtualCable::instance().dtrEdges())
            cableDtr << int(d.level);
        for (const auto &b : VirtualCable::instance().baudChanges())
            cableBauds << b.requested;
        QCOMPARE(dtrLevels, cableDtr);
        QCOMPARE(bauds, cableBauds);
        QCOMPARE(kinds.mid(0, 5), (QStringList{"new", "interface", "open", "baud", "line"}));
        QCOMPARE(kinds.mid(kinds.size() - 3), (QStringList{"close", "free", "end"}));
        // Reads hold the echo first, then the ECU's answer: what the link returned.
        QStringList readTexts;
        for (const Event &e : r.trace.events)
            if (e.kind == Kind::Read && e.rc > 0)
                readTexts << echoOnly(e.bytes);
        for (const QString &reply : r.replies)
            if (!reply.isEmpty())
                QVERIFY2(readTexts.contains(reply), qPrintable(reply));
    }

    void failedWriteIsRecordedWithTheLibrarysText()
    {
        const Recorded r = record(autoExample(), dir.filePath("fail.ktrace"));
        QVERIFY(r.trace.ok);
        int errors = 0;
        for (int i = 0; i < r.trace.events.size(); ++i) {
            const Event &e = r.trace.events[i];
            if (e.kind != Kind::Error || e.call != Kind::Write)
                continue;
            ++errors;
            QCOMPARE(e.rc, -1);
            QCOMPARE(e.texts.value(0), QByteArray("usb bulk write failed"));
            QCOMPARE(int(r.trace.events[i - 1].kind), int(Kind::Write));
            QCOMPARE(r.trace.events[i - 1].rc, -1);
        }
        QCOMPARE(errors, 1);
    }

    void replayCarriesTheSameBytes_data() { sessions(); }
    void replayCarriesTheSameBytes()
    {
        QFETCH(ExampleSession, session);
        LogCapture log;
        const Recorded r = record(session, dir.filePath(session.name + "-same.ktrace"));
        QVERIFY(r.trace.ok);
        auto ecu = std::make_shared<ReplayEcu>(r.trace.events);
        const QStringList replies = playSession(session, lineWait, ecu);
        QCOMPARE(replies, r.replies);
        QCOMPARE(toBytes(sentBytes()), toBytes(r.sent));
        QCOMPARE(ecu->divergences(), 0);
        QCOMPARE(ecu->answered(), ecu->requests());
        QVERIFY(!log.anyStartsWith("replay"));
        // The replies are the ECU's, not an echo of the request alone.
        int answered = 0;
        for (int i = 0; i < replies.size(); ++i)
            answered += replies[i].count(',') > 1;
        QVERIFY(answered >= replies.size() - 2);
    }

    void replayDivergesWhereTheTesterChanges_data()
    {
        QTest::addColumn<ExampleSession>("session");
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("changed");
        QTest::newRow("auto CC for CB") << autoExample() << 5 << QByteArray::fromHex("CC");
        QTest::newRow("kwp cmdUp for cmdHold") << kwpExample() << 8 << kwpUp();
    }

    void replayDivergesWhereTheTesterChanges()
    {
        QFETCH(ExampleSession, session);
        QFETCH(int, step);
        QFETCH(QByteArray, changed);
        const Recorded r = record(session, dir.filePath(session.name + "-diverge.ktrace"));
        QVERIFY(r.trace.ok);
        const QByteArray expected = session.steps[step].bytes;
        ExampleSession altered = session;
        altered.steps[step].bytes = changed;
        LogCapture log;
        auto ecu = std::make_shared<ReplayEcu>(r.trace.events);
        const QStringList replies = playSession(altered, lineWait, ecu);
        const int n = exchangeIndex(session.steps, step);
        const int line = requestLine(r.trace.events, n);
        QVERIFY(line > 1);
        const QString text = QString("replay diverged at trace line %1: expected %2, seen %3")
                                 .arg(line)
                                 .arg(hexBytes(expected), hexBytes(changed));
        QVERIFY2(log.contains(text), qPrintable(log.texts().join('\n')));
        QCOMPARE(replies.mid(0, n), r.replies.mid(0, n)); // the same up to the change
        QCOMPARE(replies.value(n), echoOnly(changed));    // then silence: only the echo
        QVERIFY(ecu->divergences() >= 1);
    }

    void replayPicksUpWhenTheTesterComesBack()
    {
        const ExampleSession session = kwpExample();
        const Recorded r = record(session, dir.filePath("resume.ktrace"));
        QVERIFY(r.trace.ok);
        ExampleSession altered = session;
        altered.steps[8].bytes = kwpUp(); // second cmdHold: up; then up, hold as recorded
        auto ecu = std::make_shared<ReplayEcu>(r.trace.events);
        const QStringList replies = playSession(altered, lineWait, ecu);
        const int n = exchangeIndex(session.steps, 8);
        QCOMPARE(replies.value(n + 1), echoOnly(kwpUp()));  // still waiting for cmdHold
        QCOMPARE(replies.value(n + 2), r.replies.value(n)); // cmdHold: its recorded answer
        QVERIFY(ecu->answered() > n);
    }

    void replayFollowsAnAlteredRecording()
    {
        const ExampleSession session = kwpExample();
        const Recorded r = record(session, dir.filePath("edited.ktrace"));
        QVERIFY(r.trace.ok);
        // The first request (StartCommunication) recorded as sent with another checksum.
        const int line = requestLine(r.trace.events, 0);
        const Event &first = r.trace.events[line - 2];
        QCOMPARE(first.bytes, QByteArray::fromHex("C1"));
        const int last = line + 4;
        QCOMPARE(r.trace.events[last - 2].bytes, QByteArray::fromHex("65"));
        rewriteLine(r.path, last, QByteArray::number(r.trace.events[last - 2].us) + " write 1 66");
        const ParseResult edited = parseFile(r.path);
        QVERIFY2(edited.ok, qPrintable(errorText(r.path, edited.error)));
        LogCapture log;
        auto ecu = std::make_shared<ReplayEcu>(edited.events);
        const QStringList replies = playSession(session, lineWait, ecu);
        QVERIFY2(log.contains(QString("replay diverged at trace line %1: expected C1 33 F0 81 66, "
                                      "seen C1 33 F0 81 65")
                                  .arg(line)),
                 qPrintable(log.texts().join('\n')));
        QCOMPARE(replies.value(0), QString("c1,33,f0,81,65,"));
        QCOMPARE(ecu->answered(), 0);
    }

    void replayAnswersWithTheRecordedBytes()
    {
        const ExampleSession session = autoExample();
        const Recorded r = record(session, dir.filePath("answer.ktrace"));
        QVERIFY(r.trace.ok);
        int readLine = -1;
        for (const Event &e : r.trace.events)
            if (e.kind == Kind::Read && e.bytes == QByteArray::fromHex("FE0000"))
                readLine = e.line;
        QVERIFY(readLine > 0);
        rewriteLine(r.path, readLine,
                    QByteArray::number(r.trace.events[readLine - 2].us) + " read 3 FE 00 03");
        auto ecu = std::make_shared<ReplayEcu>(parseFile(r.path).events);
        const QStringList replies = playSession(session, lineWait, ecu);
        QCOMPARE(replies.value(0), QString("fe,0,3,")); // model 3 now, as recorded
        QCOMPARE(replies.mid(1), r.replies.mid(1));
    }

    void replaySaysWhenTheRecordingEnds()
    {
        ExampleSession session = autoExample();
        const Recorded r = record(session, dir.filePath("end.ktrace"));
        QVERIFY(r.trace.ok);
        // Drop the failed write at the end (it never reached the line) and ask for more.
        QCOMPARE(int(session.steps[session.steps.size() - 2].type), int(LinkStep::FailNextWrite));
        session.steps.removeLast();
        session.steps.removeLast();
        session.steps << key(0xFE, 10) << key(0xFE, 10);
        LogCapture log;
        auto ecu = std::make_shared<ReplayEcu>(r.trace.events);
        const QStringList replies = playSession(session, lineWait, ecu);
        int ends = 0;
        for (const QString &t : log.texts())
            ends +=
                t.startsWith("replay reached the end of the recording (last request at trace line ")
                && t.endsWith("); seen FE, no answer");
        QCOMPARE(ends, 1); // said once, however often the tester asks
        QCOMPARE(replies.last(), QString("fe,"));
    }

    // A reply the recording saw only on a later read goes out that late again.
    void lateReplyKeepsItsRecordedDelay()
    {
        auto ev = [](qint64 us, Kind kind, int rc, const char *hex, int line) {
            Event e;
            e.us = us;
            e.kind = kind;
            e.rc = rc;
            e.bytes = QByteArray::fromHex(hex);
            e.line = line;
            return e;
        };
        const QList<Event> events = {
            ev(1000, Kind::Write, 1, "FE", 2), ev(11000, Kind::Read, 1, "FE", 3),
            ev(201000, Kind::Read, 0, "", 4), ev(261000, Kind::Read, 2, "0000", 5)};
        qint64 fakeNs = 5000000000;
        sim::setClock([&fakeNs] { return fakeNs; });
        sim::setSleeper(
            [&fakeNs](sim::Nanos until) { fakeNs = std::max<sim::Nanos>(fakeNs, until); });
        VirtualCable::instance().reset();
        VirtualCable::instance().seat(std::make_shared<ReplayEcu>(events));
        UsbSerial link;
        QVERIFY(link.Connect());
        unsigned char identify = 0xFE;
        link.writeDataHex(&identify);
        fakeNs += 150 * 1000000LL; // the recording saw no reply by 200 ms: none yet
        QCOMPARE(link.readDataHex(), QString("fe,"));
        fakeNs += 100 * 1000000LL; // and had it by 260 ms
        QCOMPARE(link.readDataHex(), QString("0,0,"));
        VirtualTime::restoreCableClock();
    }

    void mainWindowConnectIsRecordedAndReplayed()
    {
        const QString path = dir.filePath("window.ktrace");
        LogCapture log;
        startRecording(path, "tst_tracereplay");
        {
            MainWindow window;
            QVERIFY(log.waitFor("Connected.", 20000));
        }
        stopRecording();
        const ParseResult r = parseFile(path);
        QVERIFY2(r.ok, qPrintable(errorText(path, r.error)));
        QStringList lines;
        for (const Event &e : r.events)
            if (e.kind == Kind::Open || e.kind == Kind::Baud || e.kind == Kind::Line
                || e.kind == Kind::Dtr)
                lines << QString("%1 %2 %3")
                             .arg(QString::fromLatin1(kindName(e.kind)))
                             .arg(e.arg1)
                             .arg(e.rc);
        QCOMPARE(lines.mid(0, 4),
                 (QStringList{"open 1075 0", "baud 15630 0", "line 8 0", "dtr 1 0"}));
        VirtualCable::instance().reset();
        VirtualCable::instance().seat(std::make_shared<ReplayEcu>(r.events));
        log.clear();
        MainWindow replayed;
        MainWindowProbe probe(replayed);
        QVERIFY(log.waitFor("Connected.", 20000));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QVERIFY(!log.anyStartsWith("replay diverged"));
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestTraceReplay)
#include "tst_tracereplay.moc"

#include <cstdint>
