// SPDX-License-Identifier: GPL-3.0-or-later
// The ktrace format: writer and parser round trip, the writer's buffering
// and failures, every kind of bad input, and the reader's decoders.
#include "support/logcapture.h"

#include "ecu/itemcatalogue.h"
#include "trace/autodecode.h"
#include "trace/exchanges.h"
#include "trace/kwpdecode.h"
#include "trace/recording.h"
#include "trace/sessiontext.h"
#include "trace/traceparser.h"
#include "trace/tracewriter.h"

#include <QRandomGenerator>

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace trace;

namespace {

Event ev(Kind kind, int rc = 0, int a1 = 0, int a2 = 0, int a3 = 0)
{
    Event e;
    e.kind = kind;
    e.rc = rc;
    e.arg1 = a1;
    e.arg2 = a2;
    e.arg3 = a3;
    return e;
}

Event bytesEvent(Kind kind, int rc, const QByteArray &bytes)
{
    Event e = ev(kind, rc);
    e.bytes = bytes;
    return e;
}

QByteArray allBytes()
{
    QByteArray b;
    for (int i = 0; i < 256; ++i)
        b.append(char(i));
    return b;
}

QList<Event> everyKind()
{
    Event strings = ev(Kind::Strings, 0);
    strings.texts = {"FTDI", "Dual \"RS232\" 100% é", ""};
    Event err = ev(Kind::Error, -666);
    err.call = Kind::Write;
    err.texts = {"USB device unavailable"};
    Event errstr = ev(Kind::ErrorText);
    errstr.texts = {"usb_find_all: a, b; c"};
    Event info = ev(Kind::UiInfo);
    info.texts = {"Info: History kode kesalahan:\nP0113: 100% \"IAT\" é"};
    Event value = ev(Kind::UiValue, 0, -1);
    value.texts = {""};
    Event menu = ev(Kind::UiMenu);
    menu.texts = {"Laporan…"};
    return {ev(Kind::New, 0),
            ev(Kind::New, -1),
            ev(Kind::Interface, 0, 1),
            ev(Kind::Open, -3, 0x433, 0x6066),
            ev(Kind::Baud, 0, 10400),
            ev(Kind::Line, 0, 8, 1, 2),
            ev(Kind::Line, -1, 7, 2, 4),
            ev(Kind::Dtr, 0, 1),
            ev(Kind::Dtr, -2, 0),
            bytesEvent(Kind::Write, 1, "\xfe"),
            bytesEvent(Kind::Write, -666, "\x83\x10"),
            bytesEvent(Kind::Read, 256, allBytes()),
            bytesEvent(Kind::Read, 0, {}),
            bytesEvent(Kind::Read, -1, {}),
            ev(Kind::Close, 0),
            ev(Kind::Free),
            ev(Kind::FindAll, 2, 0, 0),
            strings,
            ev(Kind::ListFree),
            errstr,
            err,
            ev(Kind::UiType, 0, 1),
            ev(Kind::UiRow, 0, 12, 36),
            ev(Kind::UiAction),
            ev(Kind::UiCo, 0, 1),
            ev(Kind::UiUp),
            ev(Kind::UiDown),
            ev(Kind::UiCyl, 0, 1),
            menu,
            info,
            value,
            ev(Kind::UiClose)};
}

QByteArray header(int version = 1)
{
    return "KTRACE " + QByteArray::number(version) + " tavrix-record 3.0.0 2026-12-07T10:00:00Z\n";
}

} // namespace

class TestTraceFormat : public QObject
{
    Q_OBJECT
private slots:
    void writerAndParserRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.ktrace");
        qint64 now = 5000000;
        TraceWriter w;
        w.setClock([&now] { return now; });
        QVERIFY(w.open(path, "tavrix-record", "3.0.0", "2026-12-07T10:00:00Z"));
        const QList<Event> in = everyKind();
        for (const Event &e : in) {
            now += 1234;
            w.record(e);
        }
        w.finish();
        const ParseResult r = parseFile(path);
        QVERIFY2(r.ok, qPrintable(errorText(path, r.error)));
        QCOMPARE(r.header.program, QString("tavrix-record"));
        QCOMPARE(r.header.programVersion, QString("3.0.0"));
        QCOMPARE(r.header.started, QString("2026-12-07T10:00:00Z"));
        QVERIFY(r.ended);
        QCOMPARE(r.events.size(), in.size() + 1);
        for (int i = 0; i < in.size(); ++i) {
            const Event &a = in[i], &b = r.events[i];
            QCOMPARE(b.us, qint64(1234) * (i + 1));
            QCOMPARE(int(b.kind), int(a.kind));
            QCOMPARE(b.rc, a.rc);
            QCOMPARE(b.arg1, a.arg1);
            QCOMPARE(b.arg2, a.arg2);
            QCOMPARE(b.arg3, a.arg3);
            QCOMPARE(b.bytes, a.bytes);
            QCOMPARE(b.texts, a.texts);
            QCOMPARE(b.line, i + 2);
            if (a.kind == Kind::Error)
                QCOMPARE(int(b.call), int(a.call));
        }
    }

    void writerFlushesAtLeastOnceASecond()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.ktrace");
        qint64 now = 0;
        TraceWriter w;
        w.setClock([&now] { return now; });
        QVERIFY(w.open(path, "p", "1", "s"));
        const qint64 headerSize = QFileInfo(path).size();
        now = 300000;
        w.record(ev(Kind::Dtr, 0, 1));
        QCOMPARE(QFileInfo(path).size(), headerSize); // buffered
        now = 1000001;
        w.flushIfDue(); // what the recorder's timer does
        QVERIFY(QFileInfo(path).size() > headerSize);
        const ParseResult r = parseFile(path);
        QVERIFY(r.ok);
        QVERIFY(!r.ended); // as after a crash: readable
        QCOMPARE(r.events.size(), 1);
        QCOMPARE(r.events[0].us, qint64(300000));
    }

    void writerNeverWritesTimeBackwards()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.ktrace");
        qint64 now = 1000;
        TraceWriter w;
        w.setClock([&now] { return now; });
        QVERIFY(w.open(path, "p", "1", "s"));
        now = 9000;
        w.record(ev(Kind::Free));
        now = 4000;
        w.record(ev(Kind::Free));
        w.finish();
        QVERIFY(parseFile(path).ok);
    }

    void fullDiskStopsTheRecordingNotTheSession()
    {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full here");
        LogCapture log;
        QVERIFY(!startRecording("/dev/full", "tavrix-record"));
        QVERIFY(recording() == nullptr);
        const QString text =
            "recording stopped: cannot write /dev/full: No space left on device; "
            "the session goes on unrecorded";
        QCOMPARE(log.count(text), 1);
        stopRecording(); // nothing left to do, nothing said again
        QCOMPARE(log.count(text), 1);
    }

    void unwritableFolderIsSaidOnce()
    {
        LogCapture log;
        QTemporaryDir dir;
        const QString path = dir.filePath("no/such/folder/t.ktrace");
        QVERIFY(!startRecording(path, "tavrix-record"));
        QVERIFY(recording() == nullptr);
        QCOMPARE(log.count("recording off: cannot create " + path
                           + ": No such file or directory; the session goes on unrecorded"),
                 1);
    }

    void writerFailingMidSessionGoesQuiet()
    {
        QStringList reports;
        TraceWriter w;
        w.setReporter([&reports](const QString &m) { reports << m; });
        qint64 now = 0;
        w.setClock([&now] { return now; });
        if (!w.open("/dev/full", "p", "1", "s")) {
            QCOMPARE(reports.size(), 1);
            w.record(ev(Kind::Free));
            w.flush();
            w.finish();
            QCOMPARE(reports.size(), 1);
            QVERIFY(!w.active());
        } else {
            QSKIP("/dev/full accepted the header");
        }
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("message");
        const QByteArray h = header();
        QTest::newRow("empty") << QByteArray() << 0 << "empty file, not a ktrace recording";
        QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << 1
                             << "not a ktrace recording (no KTRACE header)";
        QTest::newRow("text") << QByteArray("hello world\n") << 1
                              << "not a ktrace recording (no KTRACE header)";
        QTest::newRow("version 7")
            << QByteArray("KTRACE 7 x 1 s\n") << 1
            << "ktrace format version 7 comes from a newer Tavrix (this reader knows 1 to 2): "
               "read it with a newer tavrix-trace";
        QTest::newRow("version 0")
            << QByteArray("KTRACE 0 x 1 s\n") << 1 << "bad ktrace format version 0";
        // Format 1 knew no records to skip: a dotted name there is damage.
        QTest::newRow("dotted in 1") << h + "10 ui.wave\n" << 2 << "unknown event 'ui.wave'";
        QTest::newRow("undotted in 2") << header(2) + "10 wave\n" << 2 << "unknown event 'wave'";
        QTest::newRow("odd dotted in 2") << header(2) + "10 ui.Wave\n"
                                         << 2 << "unknown event 'ui.Wave'";
        QTest::newRow("skipped goes backwards") << header(2) + "20 free\n10 ui.wave 1 \"x\"\n"
                                                << 3 << "time goes backwards (10 us after 20 us)";
        QTest::newRow("window record cut") << header(2) + "10 ui.row 3\n"
                                           << 2 << "'ui.row' is missing fields";
        QTest::newRow("short header") << QByteArray("KTRACE 1\n") << 1 << "bad KTRACE header";
        QTest::newRow("header cut")
            << QByteArray("KTRACE 1 tavrix") << 1 << "truncated line (no end of line)";
        QTest::newRow("line cut") << h + "10 write 1 FE\n20 read 3 FE 0" << 3
                                  << "truncated line (no end of line)";
        QTest::newRow("unknown event") << h + "10 jump 1\n" << 2 << "unknown event 'jump'";
        QTest::newRow("no event") << h + "10\n" << 2 << "unknown event ''";
        QTest::newRow("bad time") << h + "1x0 free\n" << 2 << "bad time '1x0'";
        QTest::newRow("negative time") << h + "-5 free\n" << 2 << "bad time '-5'";
        QTest::newRow("time backwards") << h + "500 free\n499 free\n"
                                        << 3 << "time goes backwards (499 us after 500 us)";
        QTest::newRow("bad byte ZZ") << h + "10 write 1 ZZ\n" << 2 << "bad byte 'ZZ'";
        QTest::newRow("bad byte FEE") << h + "10 write 1 FEE\n" << 2 << "bad byte 'FEE'";
        QTest::newRow("read count") << h + "10 read 3 FE 00\n"
                                    << 2 << "2 bytes do not match the result 3";
        QTest::newRow("write count") << h + "10 write 2 FE\n"
                                     << 2 << "1 bytes do not match the result 2";
        QTest::newRow("missing field") << h + "10 baud 10400\n" << 2 << "'baud' is missing fields";
        QTest::newRow("extra field") << h + "10 close 0 0\n" << 2 << "'close' has extra fields";
        QTest::newRow("bad result") << h + "10 dtr 1 x\n" << 2 << "bad result 'x'";
        QTest::newRow("bad level") << h + "10 dtr 2 0\n" << 2 << "bad level '2'";
        QTest::newRow("bad parity") << h + "10 line 8 1 Q 0\n" << 2 << "bad parity 'Q'";
        QTest::newRow("bad usb id") << h + "10 open 433:6066 0\n" << 2 << "bad USB id '433:6066'";
        QTest::newRow("bad text") << h + "10 errstr \"a\"b\"\n" << 2 << "bad text '\"a\"b\"'";
        QTest::newRow("bad call") << h + "10 error end -1 \"x\"\n" << 2 << "bad call name 'end'";
        QTest::newRow("double blank") << h + "10  free\n" << 2 << "unknown event ''";
        QTest::newRow("NUL byte") << h + QByteArray("10 fr\0e\n", 8) << 2
                                  << "garbled line (byte 0x00 at column 6)";
        QTest::newRow("CRLF") << h + "10 free\r\n" << 2 << "garbled line (byte 0x0d at column 8)";
        QTest::newRow("empty line") << h + "\n" << 2 << "empty line";
        QTest::newRow("after end") << h + "10 end\n20 free\n" << 3 << "event after the end mark";
        QTest::newRow("huge time") << h + "1234567890123456 free\n"
                                   << 2 << "bad time '1234567890123456'";
    }

    void badInput()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, line);
        QFETCH(QString, message);
        const ParseResult r = parseBytes(input);
        QVERIFY(!r.ok);
        QVERIFY(r.events.isEmpty());
        QCOMPARE(r.error.line, line);
        QCOMPARE(r.error.message, message);
    }

    // A later Tavrix may add dotted records: this reader skips what it does
    // not know and keeps the rest in order.
    void unknownDottedRecordsAreSkipped()
    {
        const ParseResult r = parseBytes(header(2)
                                         + "10 ui.status \"a\"\n20 ui.wave 1 \"x y\"\n"
                                           "30 cam.frame-2\n40 free\n50 end\n");
        QVERIFY2(r.ok, qPrintable(r.error.message));
        QCOMPARE(r.skipped, 2);
        QCOMPARE(r.events.size(), 3);
        QCOMPARE(int(r.events[0].kind), int(Kind::UiStatus));
        QCOMPARE(int(r.events[1].kind), int(Kind::Free));
        QCOMPARE(r.events[1].line, 5);
        QVERIFY(r.ended);
    }

    void limits()
    {
        ParseLimits small;
        small.maxBytes = 100;
        small.maxLineLength = 40;
        QByteArray big = header();
        while (big.size() <= 100)
            big += "10 free\n";
        ParseResult r = parseBytes(big, small);
        QCOMPARE(r.error.line, 0);
        QCOMPARE(r.error.message, QString("too large (%1 bytes, at most 100)").arg(big.size()));
        r = parseBytes("KTRACE 1 a b c\n10 write 1" + QByteArray(" FE").repeated(20) + "\n", small);
        QCOMPARE(r.error.line, 2);
        QCOMPARE(r.error.message, QString("line too long (more than 40 characters)"));
    }

    void errorTextNamesFileAndLine()
    {
        QCOMPARE(errorText("a.ktrace", {7, "bad byte 'ZZ'"}), QString("a.ktrace:7: bad byte 'ZZ'"));
        QCOMPARE(errorText("a.ktrace", {0, "cannot open: x"}), QString("a.ktrace: cannot open: x"));
        const ParseResult r = parseFile("/no/such/file.ktrace");
#ifdef Q_OS_WIN
        // Windows words the reason its own way, in its own language.
        QFile missing("/no/such/file.ktrace");
        QVERIFY(!missing.open(QIODevice::ReadOnly));
        QCOMPARE(r.error.message, "cannot open: " + missing.errorString());
#else
        QCOMPARE(r.error.message, QString("cannot open: No such file or directory"));
#endif
    }

    void fileArgument_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("rest");
        QTest::newRow("none") << QStringList{"rec"} << QString() << QStringList{"rec"};
        QTest::newRow("file") << QStringList{"rec", "a.ktrace"} << "a.ktrace" << QStringList{"rec"};
        QTest::newRow("file then qt option")
            << QStringList{"rec", "a.ktrace", "-platform", "offscreen"} << "a.ktrace"
            << QStringList{"rec", "-platform", "offscreen"};
        QTest::newRow("qt option only") << QStringList{"rec", "-platform", "offscreen"} << QString()
                                        << QStringList{"rec", "-platform", "offscreen"};
    }

    void fileArgument()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        QFETCH(QStringList, rest);
        QList<QByteArray> storage;
        for (const QString &a : args)
            storage << a.toLocal8Bit();
        std::vector<char *> argv;
        for (QByteArray &s : storage)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        int argc = int(args.size());
        QCOMPARE(takeFileArgument(argc, argv.data()), file);
        QStringList left;
        for (int i = 0; i < argc; ++i)
            left << QString::fromLocal8Bit(argv[std::size_t(i)]);
        QCOMPARE(left, rest);
        QVERIFY(argv[std::size_t(argc)] == nullptr);
    }

    void defaultName()
    {
        const QDateTime t(QDate(2026, 12, 7), QTime(9, 5, 3));
        QCOMPARE(defaultTraceName(t), QString("tavrix-20261207-090503.ktrace"));
        // Windows: never the working folder, which from the Start menu is the
        // program's own under Program Files.
#ifdef Q_OS_WIN
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/Tavrix";
#else
        const QString folder = QDir::currentPath();
#endif
        QCOMPARE(defaultRecordingPath(t), folder + "/tavrix-20261207-090503.ktrace");
    }

    void kwpFrames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("C133F08165") << QByteArray::fromHex("C133F08165")
                                    << "KWP C1 33<-F0 StartCommunication (81), checksum 65 ok";
        QTest::newRow("C133F08166")
            << QByteArray::fromHex("C133F08166")
            << "KWP C1 33<-F0 StartCommunication (81), checksum 66 BAD (sum 65)";
        QTest::newRow("8410F01820FFFFBA")
            << QByteArray::fromHex("8410F01820FFFFBA")
            << "KWP 84 10<-F0 ReadDiagnosticTroubleCodesByStatus (18) 20 FF FF, checksum BA ok";
        QTest::newRow("83F0107F311245")
            << QByteArray::fromHex("83F0107F311245")
            << "KWP 83 F0<-10 negative response (7F) to StartRoutineByLocalIdentifier (31), code 12, checksum 45 ok";
        QTest::newRow("81F0107EFF") << QByteArray::fromHex("81F0107EFF")
                                    << "KWP 81 F0<-10 TesterPresent response (7E), checksum FF ok";
        QTest::newRow("8410F014FFFFFF95")
            << QByteArray::fromHex("8410F014FFFFFF95")
            << "KWP 84 10<-F0 ClearDiagnosticInformation (14) FF FF FF, checksum 95 ok";
        QTest::newRow("8210F0108315")
            << QByteArray::fromHex("8210F0108315")
            << "KWP 82 10<-F0 StartDiagnosticSession (10) 83, checksum 15 ok";
        QTest::newRow("81F010991A") << QByteArray::fromHex("81F010991A")
                                    << "KWP 81 F0<-10 unknown service (99), checksum 1A ok";
    }

    void kwpFrames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QByteArray rest;
        const QList<KwpFrame> frames = splitKwp(bytes, &rest);
        QCOMPARE(frames.size(), 1);
        QVERIFY(rest.isEmpty());
        QCOMPARE(describeKwp(frames[0]), text);
    }

    void kwpSplitsBackToBackFramesAndKeepsTheCutOne()
    {
        QByteArray rest;
        const QByteArray two = QByteArray::fromHex(
            "81F0107EFF"
            "83F0107F311245"
            "84F010");
        const QList<KwpFrame> frames = splitKwp(two, &rest);
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[1].sid, std::uint8_t(0x7F));
        QCOMPARE(rest, QByteArray::fromHex("84F010"));
        QCOMPARE(describeKwpRest(rest), QString("KWP frame cut short (3 of 8 bytes)"));
        QCOMPARE(describeKwpRest(QByteArray::fromHex("00FF")),
                 QString("bytes outside a KWP frame"));
        QVERIFY(!isKwpFrame(QByteArray::fromHex("FE")));
        QVERIFY(!isKwpFrame(QByteArray()));
    }

    void autoReplies_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("FE 00 00") << 0xFE << QByteArray::fromHex("FE0000")
                                  << "Auto reply fe,0,0,: model 0 (vixion)";
        QTest::newRow("FE 00 48") << 0xFE << QByteArray::fromHex("FE0048")
                                  << "Auto reply fe,0,48,: model 48 (aerox)";
        QTest::newRow("FE 12 34") << 0xFE << QByteArray::fromHex("FE1234")
                                  << "Auto reply fe,12,34,: model code 34 unknown";
        QTest::newRow("CE 00 90") << 0xCE << QByteArray::fromHex("CE0090")
                                  << "Auto reply ce,0,90,: login acknowledged";
        QTest::newRow("CA item 0B") << 0xCA << QByteArray::fromHex("CA0000C00B00")
                                    << "Auto reply ca,0,0,c0,b,0,: item 11 EOT, checking";
        QTest::newRow("CA value 3C")
            << 0xCA << QByteArray::fromHex("CA0000003C00") << "Auto reply ca,0,0,0,3c,0,: value 3c";
        QTest::newRow("CA one field")
            << 0xCA << QByteArray::fromHex("CA") << "Auto reply ca,: 1 field";
        QTest::newRow("CB scan 05")
            << 0xCB << QByteArray::fromHex("CB400500") << "Auto reply cb,40,5,0,: item 5 announced";
    }

    void autoReplies()
    {
        QFETCH(int, key);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QList<QString> catalogue = [] {
            QList<QString> c;
            for (int i = 0; i < 100; ++i)
                c << (i == 11 ? "EOT,C,Temperatur mesin" : QString());
            return c;
        }();
        QCOMPARE(describeAutoReply(std::uint8_t(key), replyFields(bytes), catalogue), text);
    }

    // Damaged copies of the example traces: the parser says where, or the
    // reader prints them; nothing crashes, nothing reads out of bounds (ASan).
    void damagedExamplesAreRejectedOrRead_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("auto") << "auto";
        QTest::newRow("kwp") << "kwp";
    }

    void damagedExamplesAreRejectedOrRead()
    {
        QFETCH(QString, family);
        QFile f(QDir(TRACE_DATA_DIR).filePath(family + ".ktrace"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray original = f.readAll();
        const int lines = original.count('\n');
        const QList<QString> catalogue = ItemCatalogue::build();
        QRandomGenerator rng(20261207);
        int rejected = 0, read = 0;
        for (int round = 0; round < 1500; ++round) {
            QByteArray damaged = original;
            const int edits = 1 + int(rng.bounded(4));
            for (int i = 0; i < edits; ++i) {
                const int at = int(rng.bounded(damaged.size()));
                switch (rng.bounded(4)) {
                case 0: damaged[at] = char(rng.bounded(256)); break;
                case 1: damaged.remove(at, int(rng.bounded(40))); break;
                case 2:
                    damaged.insert(at, damaged.mid(int(rng.bounded(damaged.size())), 30));
                    break;
                default: damaged[at] = "0123456789ABCDEF \n"[rng.bounded(18)]; break;
                }
            }
            const ParseResult r = parseBytes(damaged);
            if (!r.ok) {
                ++rejected;
                QVERIFY(!r.error.message.isEmpty());
                QVERIFY(r.error.line >= 0 && r.error.line <= damaged.count('\n') + 1);
                continue;
            }
            ++read;
            QVERIFY(sessionText(r, catalogue).size() >= 2);
            QVERIFY(!sessionCsv(r, catalogue).isEmpty());
        }
        QVERIFY(rejected > 0);
        QVERIFY(read > 0);
        QVERIFY(lines > 10);
    }

    void echoIsTakenOutAcrossReads()
    {
        QList<Event> events = {
            bytesEvent(Kind::Write, 1, "\x83"), bytesEvent(Kind::Write, 1, "\x10"),
            bytesEvent(Kind::Read, 1, "\x83"),  bytesEvent(Kind::Read, 3, "\x10\x83\xf0"),
            bytesEvent(Kind::Read, 0, {}),      bytesEvent(Kind::Read, 1, "\x10")};
        for (int i = 0; i < events.size(); ++i) {
            events[i].us = 1000 * (i + 1);
            events[i].line = i + 2;
        }
        const QList<Exchange> xs = exchanges(events);
        QCOMPARE(xs.size(), 1);
        QCOMPARE(xs[0].request, QByteArray("\x83\x10"));
        QCOMPARE(xs[0].reply.size(), 2);
        QCOMPARE(xs[0].reply[0].bytes, QByteArray("\x83\xf0"));
        QCOMPARE(xs[0].reply[0].notBeforeUs, qint64(3000)); // the read before it
        QCOMPARE(xs[0].reply[1].bytes, QByteArray("\x10"));
        QCOMPARE(xs[0].reply[1].notBeforeUs, qint64(5000));
        QCOMPARE(xs[0].line, 2);
    }

    // An answer read ahead of the next request's echo: it answers the request
    // before, arrived after that one's read, and the echo is no ECU byte.
    void lateAnswerGoesToTheRequestBefore()
    {
        QList<Event> events = {bytesEvent(Kind::Write, 1, "\xca"),
                               bytesEvent(Kind::Read, 1, "\xca"),
                               bytesEvent(Kind::Write, 1, "\xca"),
                               bytesEvent(Kind::Read, 4, QByteArray("\x1d\x00\xca\x1c", 4))};
        for (int i = 0; i < events.size(); ++i) {
            events[i].us = 100000 * (i + 1);
            events[i].line = i + 2;
        }
        const QList<Exchange> xs = exchanges(events);
        QCOMPARE(xs.size(), 2);
        QCOMPARE(xs[0].reply.size(), 1);
        QCOMPARE(xs[0].reply[0].bytes, QByteArray("\x1d\x00", 2));
        QCOMPARE(xs[0].reply[0].notBeforeUs, qint64(200000)); // its own read had not seen it
        QCOMPARE(xs[1].reply.size(), 1);
        QCOMPARE(xs[1].reply[0].bytes, QByteArray("\x1c"));
    }

    void lostEchoLeavesTheEcuBytes()
    {
        EchoFilter f;
        f.sent("\xca");
        int echoed = -1;
        QCOMPARE(f.received(QByteArray("\x00\x10", 2), &echoed), QByteArray("\x00\x10", 2));
        QCOMPARE(echoed, 0);
        QCOMPARE(f.received("\xca"), QByteArray("\xca")); // no echo pending any more
    }
};

QTEST_MAIN(TestTraceFormat)
#include "tst_traceformat.moc"

#include <cstdint>
