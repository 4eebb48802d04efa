// SPDX-License-Identifier: GPL-3.0-or-later
// Whole sessions of the real main window, recorded through the recording
// layer against the simulated bikes and replayed against the recording: the
// mechanic sees the same table, fault codes and CO readings without the bike.
// Where the mechanic does something else than in the recording, the replay
// says where it diverged and the ECU stays silent.
#include "support/logcapture.h"
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include "mechanic.h"
#include "sim/autoecu.h"
#include "sim/kwpecu.h"
#include "trace/recording.h"
#include "trace/replayecu.h"
#include "trace/traceparser.h"
#include "ui/cowindow.h"

#include "virtualmain.h"
#include <QLCDNumber>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <memory>

using sim::VirtualCable;
using Stages = QList<Mechanic::Stage>;

namespace {
constexpr int kCeiling = 60000; // a whole session on a loaded two-core machine
constexpr int kAutoRows = 24;
constexpr int kRecordOnMs = 1000;

// What the mechanic sees at one moment: the table, the info label, the
// status bar and, while it is open, the CO window.
QString view(MainWindowProbe &probe)
{
    QStringList out;
    for (int row = 0; row < probe.table()->rowCount(); ++row)
        out << QString("%1|%2|%3|%4")
                   .arg(probe.cell(row, 1), probe.cell(row, 2), probe.cell(row, 3),
                        probe.cell(row, 4));
    out << "info " + probe.infoLabel()->text() << "status " + probe.status();
    CoWindow *co = probe.coWindow();
    if (co->isVisible())
        out << QString("co rpm %1 co %2")
                   .arg(co->findChild<QLCDNumber *>("lcdNumber_rpm")->intValue())
                   .arg(co->findChild<QLabel *>("label_co")->text());
    return out.join('\n');
}

int rowOf(MainWindowProbe &probe, int code)
{
    return probe.rowCodes().indexOf(code);
}

bool valueShown(MainWindowProbe &probe, int code)
{
    const int row = rowOf(probe, code);
    return row >= 0 && !probe.selectionPending() && !probe.cell(row, 3).isEmpty();
}

bool coShowing(MainWindowProbe &probe)
{
    CoWindow *co = probe.coWindow();
    return co->isVisible() && co->findChild<QLCDNumber *>("lcdNumber_rpm")->intValue() > 0;
}

// The stages of a session: each act takes a look first, so the views of the
// recording and of the replay can be compared.
struct Script {
    Stages stages;
    QStringList views;

    void add(MainWindowProbe &probe, std::function<bool()> ready, std::function<void()> act)
    {
        stages.append({std::move(ready), [this, &probe, act] {
            views << view(probe);
            if (act)
                act();
        }});
    }
};

using Writer = std::function<void(MainWindowProbe &, Script &)>;

void clickCode(MainWindowProbe &probe, int code)
{
    probe.clickRow(rowOf(probe, code));
}

// Auto: the voltage, the stored fault code of item 61, then CO mode.
void autoSession(MainWindowProbe &p, Script &s)
{
    s.add(p, [&p] {
        return p.sessionState() == SessionState::Up && p.table()->rowCount() == kAutoRows;
    }, [&p] { clickCode(p, 9); });
    s.add(p, [&p] { return valueShown(p, 9); }, [&p] { clickCode(p, 61); });
    s.add(p, [&p] { return valueShown(p, 61) && p.infoLabel()->text().contains('\n'); },
          [&p] { p.coButton()->click(); });
    s.add(p, [&p] { return coShowing(p); }, {});
    s.add(p, [&p] { return coShowing(p); }, [&p] { p.coWindow()->done(0); });
}

// The demo's KWP bike with fewer items (a shorter scan) and steady values.
sim::KwpEcuConfig steadyKwpBike()
{
    sim::KwpEcuConfig c = sim::KwpEcuConfig::demo();
    c.items.resize(6);
    for (sim::KwpItem &item : c.items)
        item.wobble = 0;
    c.rpmWobble = 0;
    return c;
}
constexpr int kKwpRows = 8; // six items, then rows 61 and 62

bool listing(MainWindowProbe &p, const QString &heading)
{
    return p.infoLabel()->text().startsWith(heading) && p.infoLabel()->text().contains("P0");
}

// KWP: a value, the history listing (61), the current listing (62), CO.
void kwpSession(MainWindowProbe &p, Script &s)
{
    s.add(p, [&p] {
        return p.sessionState() == SessionState::Up && p.table()->rowCount() == kKwpRows;
    }, [&p] { clickCode(p, 5); });
    s.add(p, [&p] { return valueShown(p, 5); }, [&p] { clickCode(p, 61); });
    s.add(p, [&p] { return listing(p, "Info: History kode kesalahan:\n"); },
          [&p] { clickCode(p, 62); });
    s.add(p, [&p] { return listing(p, "Info: Daftar kode kesalahan:\n"); },
          [&p] { p.coButton()->click(); });
    s.add(p, [&p] { return coShowing(p); }, {});
    s.add(p, [&p] { return coShowing(p); }, [&p] { p.coWindow()->done(0); });
}

// Selects a row once the table is built and waits for its value.
Writer selectRow(int rows, int row)
{
    return [rows, row](MainWindowProbe &p, Script &s) {
        s.add(p, [&p, rows] {
            return p.sessionState() == SessionState::Up && p.table()->rowCount() == rows;
        }, [&p, row] { p.clickRow(row); });
        s.add(p, [&p, row] { return !p.selectionPending() && !p.cell(row, 3).isEmpty(); }, {});
    };
}

// What the recorded sessions showed, so the comparison compares something.
void checkTheBikeWasSeen(bool xmax, const QStringList &views)
{
    if (!xmax) {
        QVERIFY(views.value(1).contains("9|Volt|13.5|")); // raw b4
        QVERIFY(
            views.value(2).contains("\ninfo Info: History kode kesalahan\nError pada sensor "
                                    "posisi crankshaft(CKPS)\n"));
        QVERIFY(views.value(3).contains("co rpm 1400 co 0"));
        return;
    }
    QVERIFY(views.value(2).contains("\ninfo Info: History kode kesalahan:\nP0113: "));
    QVERIFY(views.value(2).contains("\nP0335: "));
    QVERIFY(views.value(3).contains("\ninfo Info: Daftar kode kesalahan:\nP0122: "));
    QVERIFY(views.value(4).contains("co rpm 1450 co "));
}

struct Session {
    QStringList views;
    QList<std::size_t> marks;
    std::vector<std::uint8_t> sent;
    bool finished = false;
};

// Runs the window until every stage has acted; a recording runs on a little
// longer, so that its replay, which ends about as late, asks nothing beyond it.
Session run(bool xmax, const Writer &write, const QList<std::size_t> *marks = nullptr)
{
    Session out;
    MainWindow window;
    MainWindowProbe probe(window);
    if (xmax)
        probe.typeBox()->setCurrentIndex(1);
    Script script;
    write(probe, script);
    std::unique_ptr<Mechanic> mechanic = marks ? std::make_unique<Mechanic>(script.stages, *marks)
                                               : std::make_unique<Mechanic>(script.stages);
    out.finished =
        waitUntil([&] { return mechanic->finished() && !probe.coWindow()->isVisible(); }, kCeiling);
    if (!marks)
        waitUntil([] { return false; }, kRecordOnMs);
    out.views = script.views;
    out.marks = mechanic->marks();
    out.sent = sentBytes();
    return out;
}

void resetLine()
{
    VirtualCable::instance().reset();
}

QString hex(const std::vector<std::uint8_t> &bytes, std::size_t from, int count)
{
    QByteArray b;
    for (std::size_t i = from; i < bytes.size() && b.size() < count; ++i)
        b.append(char(bytes[i]));
    return trace::hexBytes(b);
}

std::size_t firstDifference(const std::vector<std::uint8_t> &a, const std::vector<std::uint8_t> &b)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return i;
}

// The recorded request holding byte `at` of what the tool wrote, and where
// on the line that request began.
std::pair<trace::Exchange, std::size_t> requestAt(const QList<trace::Event> &events, std::size_t at)
{
    std::size_t offset = 0;
    for (const trace::Exchange &x : trace::exchanges(events)) {
        if (x.request.isEmpty())
            continue;
        if (at < offset + std::size_t(x.request.size()))
            return {x, offset};
        offset += std::size_t(x.request.size());
    }
    return {trace::Exchange(), offset};
}

// How many recorded requests lie wholly within the first `bytes` written.
int requestsWithin(const QList<trace::Event> &events, std::size_t bytes)
{
    int n = 0;
    std::size_t offset = 0;
    for (const trace::Exchange &x : trace::exchanges(events)) {
        offset += std::size_t(x.request.size());
        if (x.request.isEmpty())
            continue;
        if (offset > bytes)
            break;
        ++n;
    }
    return n;
}

QString firstStarting(const LogCapture &log, const QString &prefix)
{
    for (const QString &line : log.texts())
        if (line.startsWith(prefix))
            return line;
    return QString();
}
} // namespace

class TestTraceSession : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    trace::ParseResult recorded;

    Session record(const QString &name, bool xmax, const Writer &write,
                   const std::shared_ptr<sim::EcuModel> &bike)
    {
        resetLine();
        VirtualCable::instance().seat(bike);
        const QString path = dir.filePath(name + ".ktrace");
        trace::startRecording(path, "tst_tracesession");
        Session s = run(xmax, write);
        trace::stopRecording(); // the window has closed the adapter: recorded too
        recorded = trace::parseFile(path);
        return s;
    }

    Session replay(bool xmax, const Writer &write, const QList<std::size_t> &marks,
                   std::shared_ptr<trace::ReplayEcu> &ecu)
    {
        resetLine();
        ecu = std::make_shared<trace::ReplayEcu>(recorded.events);
        VirtualCable::instance().seat(ecu);
        return run(xmax, write, &marks);
    }

    // Replays with the mechanic clicking row 5 where the recording clicked
    // row 3, recording the replay to `path`; returns what the tool wrote.
    std::vector<std::uint8_t> replayClickingRow5(bool xmax, int rows,
                                                 const QList<std::size_t> &marks,
                                                 const std::shared_ptr<trace::ReplayEcu> &ecu,
                                                 const QString &path, const LogCapture &log)
    {
        resetLine();
        VirtualCable::instance().seat(ecu);
        trace::startRecording(path, "tst_tracesession");
        std::vector<std::uint8_t> sent;
        [&] {
            MainWindow window;
            MainWindowProbe probe(window);
            if (xmax)
                probe.typeBox()->setCurrentIndex(1);
            Script script;
            selectRow(rows, 5)(probe, script);
            Mechanic mechanic(script.stages.mid(0, 1), marks.mid(0, 1));
            QVERIFY2(waitUntil([&] { return log.anyStartsWith("replay diverged"); }, kCeiling),
                     qPrintable(log.texts().join('\n')));
            waitUntil([] { return false; }, 500); // the silent ECU's time to answer passes
            QVERIFY(probe.cell(5, 3).isEmpty());  // row 5 got no value
            sent = sentBytes();
        }();
        trace::stopRecording();
        return sent;
    }

    void sessions()
    {
        QTest::addColumn<bool>("xmax");
        QTest::newRow("auto") << false;
        QTest::newRow("kwp") << true;
    }

    static std::shared_ptr<sim::EcuModel> bike(bool xmax)
    {
        if (xmax)
            return std::make_shared<sim::KwpEcu>(steadyKwpBike());
        return std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixion());
    }

private slots:
    // Recordings are stamped on the cable's clock, which is virtual here.
    void initTestCase()
    {
        trace::setRecordingClock([] { return sim::nowNs() / 1000; });
    }
    void init() { resetLine(); }
    void cleanup()
    {
        trace::stopRecording();
        resetLine();
    }

    void replayShowsTheRecordedSession_data() { sessions(); }
    void replayShowsTheRecordedSession()
    {
        QFETCH(bool, xmax);
        const Writer write = xmax ? kwpSession : autoSession;
        LogCapture log;
        const Session first = record(QTest::currentDataTag(), xmax, write, bike(xmax));
        QVERIFY2(first.finished, qPrintable(first.views.join("\n--\n")));
        QVERIFY(recorded.ok);
        checkTheBikeWasSeen(xmax, first.views);
        if (QTest::currentTestFailed())
            return;
        std::shared_ptr<trace::ReplayEcu> ecu;
        const Session again = replay(xmax, write, first.marks, ecu);
        QVERIFY2(again.finished, qPrintable(log.texts().join('\n')));
        QCOMPARE(again.views.size(), first.views.size());
        for (int i = 0; i < first.views.size(); ++i)
            QCOMPARE(again.views[i], first.views[i]);
        QCOMPARE(ecu->divergences(), 0);
        QVERIFY2(!log.anyStartsWith("replay diverged"), qPrintable(log.texts().join('\n')));
        QVERIFY(!log.anyStartsWith("replay reached the end"));
        // Up to the last stage the tool asked exactly what it asked the bike,
        // and every one of those requests was answered from the recording.
        const std::size_t last = first.marks.last();
        QVERIFY(ecu->answered() >= requestsWithin(recorded.events, last));
        QVERIFY(requestsWithin(recorded.events, last) > 20);
        QVERIFY(again.sent.size() >= last);
        QCOMPARE(hex(again.sent, 0, int(last)), hex(first.sent, 0, int(last)));
    }

    void replayDivergesWhereTheMechanicDoes_data()
    {
        QTest::addColumn<bool>("xmax");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("hold");
        QTest::addColumn<QString>("up");
        QTest::newRow("auto row 3, then row 5") << false << kAutoRows << "CA"
                                                << "CB";
        QTest::newRow("kwp row 3, then row 5") << true << kKwpRows << "83 10 F0 31 70 CA EE"
                                               << "83 10 F0 31 70 CB EF";
    }

    void replayDivergesWhereTheMechanicDoes()
    {
        QFETCH(bool, xmax);
        QFETCH(int, rows);
        LogCapture log;
        const Session first =
            record(QString("row3-%1").arg(xmax), xmax, selectRow(rows, 3), bike(xmax));
        QVERIFY(first.finished);
        QVERIFY(recorded.ok);
        const trace::ParseResult original = recorded;

        // The replay is recorded too, to see what the replay ECU sent.
        const QString replayPath = dir.filePath(QString("row5-%1.ktrace").arg(xmax));
        auto ecu = std::make_shared<trace::ReplayEcu>(original.events);
        const std::vector<std::uint8_t> sent =
            replayClickingRow5(xmax, rows, first.marks, ecu, replayPath, log);
        if (QTest::currentTestFailed())
            return;

        // Where: the first request that differs from the recorded one.
        const std::size_t at = firstDifference(sent, first.sent);
        QVERIFY(at >= first.marks.first()); // after the click, not before
        const auto where = requestAt(original.events, at);
        QVERIFY(where.first.line > 1);
        const QString text = QString("replay diverged at trace line %1: expected %2, seen %3")
                                 .arg(where.first.line)
                                 .arg(trace::hexBytes(where.first.request),
                                      hex(sent, where.second, where.first.request.size()));
        QCOMPARE(firstStarting(log, "replay diverged"), text);
        // The recording polled row 3's item where the replay moves on up to row 5.
        QFETCH(QString, hold);
        QFETCH(QString, up);
        QCOMPARE(trace::hexBytes(where.first.request), hold);
        QCOMPARE(hex(sent, where.second, where.first.request.size()), up);
        QVERIFY(ecu->divergences() >= 1);

        // And stayed silent: the diverging request got no answer on the line.
        const trace::ParseResult replayed = trace::parseFile(replayPath);
        QVERIFY(replayed.ok);
        const auto heard = requestAt(replayed.events, at);
        QCOMPARE(heard.second, where.second);
        QCOMPARE(trace::hexBytes(heard.first.request),
                 hex(sent, where.second, where.first.request.size()));
        QVERIFY(heard.first.reply.isEmpty());
        QVERIFY(!where.first.reply.isEmpty()); // where the bike had answered
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestTraceSession)
#include "tst_tracesession.moc"
