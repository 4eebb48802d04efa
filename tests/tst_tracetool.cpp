// SPDX-License-Identifier: GPL-3.0-or-later
// The programs as a user runs them: tavrix-trace and tavrix-replay on bad
// files, tavrix-trace on the shipped example traces, the example generator,
// and tavrix-record (over the simulated cable) writing while it runs.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out;
    QString err;
};

// A program's text output with Unix line ends: Windows writes CR LF.
QString text(const QByteArray &output)
{
    QString s = QString::fromUtf8(output);
#ifdef Q_OS_WIN
    s.replace("\r\n", "\n");
#endif
    return s;
}

// The name a tool gives itself in its messages.
QString programName(const QString &tool)
{
#ifdef Q_OS_WIN
    return QFileInfo(tool).completeBaseName(); // without .exe
#else
    return QFileInfo(tool).fileName();
#endif
}

// Why a file that does not exist cannot be opened, as the system says it.
QString missingReason(const QString &path)
{
#ifdef Q_OS_WIN
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.errorString();
#else
    Q_UNUSED(path);
    return "No such file or directory";
#endif
}

Run run(const QString &program, const QStringList &args, int timeoutMs = 60000)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.status = p.exitStatus();
    r.out = text(p.readAllStandardOutput());
    r.err = text(p.readAllStandardError());
    return r;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray withoutHeader(const QByteArray &trace)
{
    return trace.mid(trace.indexOf('\n') + 1);
}

QString dataFile(const QString &name)
{
    return QDir(TRACE_DATA_DIR).filePath(name);
}

// A recording of tests/recordings with its line `line` (from 1) replaced.
QByteArray recordingWith(const QString &name, int line, const QByteArray &replacement)
{
    QList<QByteArray> lines = readAll(QDir(RECORDINGS_DIR).filePath(name)).split('\n');
    lines[line - 1] = replacement;
    return lines.join('\n');
}

// The recorder over the simulated cable, writing to `path`, offscreen.
bool startRecorder(QProcess &p, const QString &path)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(RECORD_SIM_TOOL, {path});
    return p.waitForStarted(20000);
}

// Until the recording shows the wake-up pulse: the session is running.
// Until the line is up and the window has shown it: the window's texts are
// looked at on the next call after they change, and written with it.
void waitForTheSession(const QString &path)
{
    QDeadlineTimer deadline(30000);
    auto up = [&path] {
        const QByteArray written = readAll(path);
        return written.contains(" dtr 1 0\n")
               && written.contains(" ui.status \"Connected-Engine%20Off\"\n");
    };
    while (!up() && !deadline.hasExpired())
        QTest::qWait(50);
}

const QByteArray kHeader = "KTRACE 1 tavrix-record 3.0.0 2026-12-07T10:00:00Z\n";
const QString kReplayUsage = "usage: tavrix-replay [--hands [--offscreen] [--log]] FILE\n";

} // namespace

class TestTraceTool : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;

private slots:
    void badFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // not written when null
        QTest::addColumn<QString>("message");    // after "PROGRAM: PATH"
        QTest::newRow("missing") << "missing.ktrace" << QByteArray()
                                 << ": cannot open: "
                                        + missingReason(dir.filePath("missing.ktrace"));
        QTest::newRow("folder") << "." << QByteArray() << ": is a folder, not a ktrace recording";
        QTest::newRow("/dev/zero")
            << "/dev/zero" << QByteArray() << ": is not a regular file, not a ktrace recording";
        QTest::newRow("fifo") << "fifo" << QByteArray()
                              << ": is not a regular file, not a ktrace recording";
        QTest::newRow("empty") << "empty.ktrace" << QByteArray("")
                               << ": empty file, not a ktrace recording";
        QTest::newRow("png") << "x.png" << QByteArray("\x89PNG\r\n\x1a\n", 8)
                             << ":1: not a ktrace recording (no KTRACE header)";
        QTest::newRow("truncated") << "cut.ktrace" << kHeader + "10 write 1 FE\n20 rea"
                                   << ":3: truncated line (no end of line)";
        QTest::newRow("garbled") << "garbled.ktrace" << kHeader + "10 write 1 F\xe9\n"
                                 << ":2: garbled line (byte 0xe9 at column 13)";
        QTest::newRow("backwards") << "back.ktrace" << kHeader + "10 free\n20 free\n15 free\n"
                                   << ":4: time goes backwards (15 us after 20 us)";
        QTest::newRow("binary line") << "bin.ktrace" << kHeader + QByteArray(5000, '\xff') + "\n"
                                     << ":2: garbled line (byte 0xff at column 1)";
        QTest::newRow("long line")
            << "long.ktrace" << kHeader + "10 write 1" + QByteArray(" FE").repeated(4000) + "\n"
            << ":2: line too long (more than 8192 characters)";
    }

    void badFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
#ifdef Q_OS_WIN
        if (name == "/dev/zero" || name == "fifo")
            QSKIP("Windows has no device files or FIFOs in its file tree");
#endif
        const QString path = name == "."            ? dir.path()
                             : name.startsWith('/') ? name
                                                    : dir.filePath(name);
        if (name == "fifo" && !QFileInfo::exists(path))
            QCOMPARE(QProcess::execute("mkfifo", {path}), 0); // opening it would block
        if (!content.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        for (const QString &tool : {QString(TRACE_TOOL), QString(REPLAY_TOOL)}) {
            const Run r = run(tool, {path});
            QCOMPARE(r.status, QProcess::NormalExit);
            QCOMPARE(r.exitCode, 1);
            QCOMPARE(r.out, QString());
            QCOMPARE(r.err, programName(tool) + ": " + path + message + "\n");
        }
    }

    void hugeFileIsRefusedWithoutReadingIt()
    {
        const QString path = dir.filePath("huge.ktrace");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kHeader);
        QVERIFY(f.resize(qint64(200) * 1024 * 1024)); // sparse: nothing to write
        f.close();
        for (const QString &tool : {QString(TRACE_TOOL), QString(REPLAY_TOOL)}) {
            const Run r = run(tool, {path}, 20000);
            QCOMPARE(r.exitCode, 1);
            QCOMPARE(r.err, QString("%1: %2: too large (209715200 bytes, at most 67108864)\n")
                                .arg(programName(tool), path));
        }
    }

    void usage_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("trace none")
            << TRACE_TOOL << QStringList() << "usage: tavrix-trace [--csv] FILE\n";
        QTest::newRow("trace two")
            << TRACE_TOOL << QStringList{"a", "b"} << "usage: tavrix-trace [--csv] FILE\n";
        QTest::newRow("trace option")
            << TRACE_TOOL << QStringList{"--xml"} << "usage: tavrix-trace [--csv] FILE\n";
        QTest::newRow("replay none") << REPLAY_TOOL << QStringList() << kReplayUsage;
        QTest::newRow("replay offscreen alone")
            << REPLAY_TOOL << QStringList{"--offscreen", "a"} << kReplayUsage;
    }

    void usage()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = run(tool, args);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, message);
    }

    void examplesDecode_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QStringList>("mustHold");
        QTest::addColumn<QStringList>("csvRows");
        QTest::newRow("auto")
            << "auto"
            << QStringList{"      0.030  DTR   high",
                           "      0.040  TX    FE  Auto identify",
                           "     26.070  RX    00 00  Auto reply fe,0,0,: model 0 (vixion)",
                           "     58.070  RX    00 10  Auto reply ce,0,10,: login acknowledged",
                           "    322.230  RX    00 00 40 05 00  Auto reply cb,0,0,40,5,0,: item 5 IATS",
                           "    586.400  ERROR write failed: -1 usb bulk write failed",
                           "      0.000  ERROR open failed: -3 usb device not found"}
            << QStringList{"190.150,1,TPS,50,40,deg", "256.190,1,TPS,52,41,deg",
                           "388.270,5,IATS,5a,60,C", "454.310,5,IATS,5b,61,C"};
        QTest::newRow("kwp")
            << "kwp"
            << QStringList{"     25.070  DTR   high (low for 25.010 ms)",
                           "      0.050  BAUD  10400 baud ok",
                           "     25.080  TX    C1 33 F0 81 65  KWP C1 33<-F0 StartCommunication (81), checksum 65 ok",
                           "   1528.250  RX    83 F0 10 7F 14 22 38  KWP 83 F0<-10 negative response (7F) to ClearDiagnosticInformation (14), code 22, checksum 38 ok",
                           "   1402.140  RX    84 F0 10 58 00 00 00  KWP frame cut short (7 of 8 bytes)"}
            << QStringList{"655.540,1,TPS,50,40,deg", "1023.840,5,IATS,5b,61,C"};
    }

    void examplesDecode()
    {
        QFETCH(QString, family);
        QFETCH(QStringList, mustHold);
        QFETCH(QStringList, csvRows);
        const Run text = run(TRACE_TOOL, {dataFile(family + ".ktrace")});
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(text.out.toUtf8(), readAll(dataFile(family + ".txt")));
        const QStringList lines = text.out.split('\n');
        for (const QString &line : mustHold)
            QVERIFY2(lines.contains(line), qPrintable(line));
        const Run csv = run(TRACE_TOOL, {"--csv", dataFile(family + ".ktrace")});
        QCOMPARE(csv.exitCode, 0);
        QCOMPARE(csv.out.toUtf8(), readAll(dataFile(family + ".csv")));
        QCOMPARE(csv.out.split('\n', Qt::SkipEmptyParts),
                 QStringList{"time_ms,code,item,raw,value,unit"} + csvRows);
    }

    void examplesAreReproducible()
    {
        const Run r = run(EXAMPLES_TOOL, {dir.path()});
        QCOMPARE(r.exitCode, 0);
        for (const QString &family : {QString("auto"), QString("kwp")})
            QCOMPARE(withoutHeader(readAll(dir.filePath(family + ".ktrace"))),
                     withoutHeader(readAll(dataFile(family + ".ktrace"))));
    }

    // One thing changed in a recording of the demo bike: the hands-free
    // replay stops at it, names its trace line, and fails.
    void handsNameTheFirstDivergence_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("replacement");
        QTest::addColumn<QString>("divergence");
        QTest::newRow("a text") << 535 << QByteArray("10584406 ui.info \"Info:%20TPS\"")
                                << "trace line 535: expected info \"Info: TPS\", seen info "
                                   "\"Info: Throttle position sensor\"";
        QTest::newRow("a request") << 893 << QByteArray("18869494 write 1 CB")
                                   << "trace line 893: expected request CB, seen CE";
        QTest::newRow("a row") << 534 << QByteArray("10566325 ui.row 0 3")
                               << "trace line 534: the mechanic clicked row 0 (item 3); the table "
                                  "has item 1 there";
        QTest::newRow("a call") << 893 << QByteArray("18869494 dtr 0 0")
                                << "trace line 893: expected dtr 0, seen write CE";
    }

    void handsNameTheFirstDivergence()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, replacement);
        QFETCH(QString, divergence);
        const QString path = dir.filePath("changed.ktrace");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(recordingWith("auto-demo-linux.ktrace", line, replacement));
        f.close();
        const Run r = run(REPLAY_TOOL, {"--hands", "--offscreen", path});
        QCOMPARE(r.status, QProcess::NormalExit);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, "changed.ktrace: replay diverged at " + divergence + "\n");
    }

    void recorderWritesWhileTheSessionRuns()
    {
        const QString path = dir.filePath("live.ktrace");
        QProcess p;
        QVERIFY(startRecorder(p, path));
        // The window connects after half a second; the buffer reaches the disk within a second.
        waitForTheSession(path);
        const QByteArray live = readAll(path);
        p.kill(); // as a crash would: no end mark
        p.waitForFinished(20000);
        QVERIFY2(live.contains(" open 0433:6066 0\n"), live.constData());
        QVERIFY(live.contains(" baud 15630 0\n"));
        QVERIFY(live.startsWith("KTRACE 2 tavrix-record "));
        QVERIFY(live.contains(" ui.status \"Connected-Engine%20Off\"\n"));
        // Nothing of the PC: not the recording's own folder, not the user.
        const QByteArray plain = QByteArray::fromPercentEncoding(live);
        QVERIFY(!plain.contains(QDir(dir.path()).dirName().toUtf8()));
        const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
        if (!user.isEmpty())
            QVERIFY(!plain.contains(user.toUtf8()));
        const Run r = run(TRACE_TOOL, {path});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("(no end mark: the recording stops abruptly)"));
    }

    void recorderEndsTheRecordingOnTerminate()
    {
        const QString path = dir.filePath("term.ktrace");
        QProcess p;
        QVERIFY(startRecorder(p, path));
        waitForTheSession(path);
        p.terminate(); // SIGTERM (on Windows WM_CLOSE): closes like the window would
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        const QByteArray trace = readAll(path);
        QVERIFY2(trace.endsWith(" end\n"), trace.right(200).constData());
        QVERIFY(trace.contains(" close 0\n")); // the link's destructor closed the adapter
    }

    // A name outside the ANSI code page reaches the recorder, its file and the
    // reader whole (Windows hands such a name over only as wide characters).
    void recorderWritesAndReaderReadsANameInAnyScript()
    {
        const QString path = dir.filePath(QString::fromUtf8("rekaman-Łódź-中文-ñ.ktrace"));
        QProcess p;
        QVERIFY(startRecorder(p, path));
        waitForTheSession(path);
        p.terminate();
        QVERIFY(p.waitForFinished(20000));
        QVERIFY2(readAll(path).endsWith(" end\n"),
                 qPrintable(QDir(dir.path()).entryList().join(' ')));
        const Run r = run(TRACE_TOOL, {path});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("OPEN  0433:6066 ok"));
    }

    void recorderGoesOnUnrecordedIntoAFolderItCannotWrite()
    {
        const QString path = dir.filePath("gone/live.ktrace");
        QProcess p;
        QVERIFY(startRecorder(p, path));
        QByteArray err;
        QDeadlineTimer deadline(30000);
        while (!err.contains("usbconnect") && !deadline.hasExpired()) {
            p.waitForReadyRead(100);
            err += p.readAllStandardError();
        }
        err = text(err).toUtf8();
        const bool running = p.state() == QProcess::Running;
        p.kill();
        p.waitForFinished(20000);
        const QByteArray message =
            "recording off: cannot create " + path.toLocal8Bit()
            + ": No such file or directory; the session goes on unrecorded\n";
        const QList<QByteArray> lines = err.split('\n');
        QVERIFY2(("\n" + err).contains("\ntavrix-record-sim: " + message),
                 err.constData());                   // the console
        QCOMPARE(lines.count(message.trimmed()), 1); // the log
        QVERIFY(err.contains("usbconnect"));         // the session went on
        QVERIFY(running);
    }
};

QTEST_MAIN(TestTraceTool)
#include "tst_tracetool.moc"
