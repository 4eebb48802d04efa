// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-record over the real libftdi1 and libusb-1.0 against the emulated
// FT232R with the Auto ECU behind it: the recording holds the bytes and DTR
// edges the chip saw, in the order it saw them.
#include "hostrun.h"

#include "trace/traceparser.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdint>

namespace {
struct Seen {
    qint64 at;
    QString what; // "tx fe" or "dtr 1"
};

// The chip's bytes and DTR edges, merged in time.
QStringList chipLine(const QStringList &trace)
{
    static const QRegularExpression line("^(tx 0x([0-9a-f]{2})|dtr ([01])) at (\\d+)$");
    QList<Seen> seen;
    for (const QString &text : trace) {
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch())
            continue;
        const QString what =
            m.captured(2).isEmpty() ? "dtr " + m.captured(3) : "tx " + m.captured(2);
        seen.append({m.captured(4).toLongLong(), what});
    }
    std::stable_sort(seen.begin(), seen.end(),
                     [](const Seen &a, const Seen &b) { return a.at < b.at; });
    QStringList out;
    for (const Seen &s : seen)
        out << s.what;
    return out;
}

// The same from the recording: the bytes each write put out, the DTR levels set.
QStringList recordedLine(const QList<trace::Event> &events)
{
    QStringList out;
    for (const trace::Event &e : events) {
        if (e.kind == trace::Kind::Write && e.rc > 0)
            for (char b : e.bytes.left(e.rc))
                out << "tx " + QString("%1").arg(std::uint8_t(b), 2, 16, QLatin1Char('0'));
        if (e.kind == trace::Kind::Dtr && e.rc == 0)
            out << "dtr " + QString::number(e.arg1);
    }
    return out;
}
} // namespace

class TestUsbRecord : public QObject
{
    Q_OBJECT
private slots:
    void recordingHoldsWhatTheChipSaw()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("auto.ktrace");
        const HostRun run = runShellUnderHost(
            {"--ecu", "auto", "--end-on", "2:code 1 1", "--run-for", "40"},
            QString("exec \"$PROGRAMS/%1\" '%2'").arg(QFileInfo(RECORD_BIN).fileName(), path),
            {RECORD_BIN});
        QVERIFY(run.finished);
        const QString all = run.log.join('\n');
        QVERIFY2(run.indexOf("recording to " + path) >= 0, qPrintable(all));
        QVERIFY2(run.indexOf("Connected.") >= 0, qPrintable(all));
        const trace::ParseResult r = trace::parseFile(path);
        QVERIFY2(r.ok, qPrintable(trace::errorText(path, r.error)));
        QVERIFY(r.ended); // SIGTERM ends the recording in order

        const QStringList chip = chipLine(run.trace);
        const QStringList recorded = recordedLine(r.events);
        QVERIFY2(chip.filter(QRegularExpression("^tx ")).size() >= 20, qPrintable(all));
        QVERIFY(chip.contains("dtr 1"));
        QCOMPARE(recorded.size(), chip.size());
        for (int i = 0; i < chip.size(); ++i)
            QVERIFY2(recorded[i] == chip[i],
                     qPrintable(
                         QString("at %1: recorded %2, chip %3").arg(i).arg(recorded[i], chip[i])));

        // The Auto login the chip carried: identify first.
        QCOMPARE(chip.filter(QRegularExpression("^tx ")).value(0), QString("tx fe"));
        // Reads hold the echo of what was written, then the ECU's answer.
        int echoed = 0;
        for (const trace::Event &e : r.events)
            echoed += e.kind == trace::Kind::Read && e.rc > 1 && e.bytes.startsWith(char(0xFE));
        QVERIFY(echoed >= 1);
    }
};

QTEST_GUILESS_MAIN(TestUsbRecord)
#include "tst_usbrecord.moc"
