// SPDX-License-Identifier: GPL-3.0-or-later
// Where a hands-free replay places the mechanic's steps and the cable's
// pulls and plugs, and what its judge lets pass: the points a recording of
// the demo bike may never reach (a pull inside a tick's wait, a reason of
// another PC's driver, a KWP request held past P3max).
#include "trace/handsscript.h"
#include "trace/replayjudge.h"
#include "trace/traceparser.h"

#include <QtTest>

using namespace trace;

namespace {

QList<Event> events(const QByteArray &body)
{
    const ParseResult r = parseBytes("KTRACE 2 t 1 s\n" + body);
    if (!r.ok)
        qFatal("%s", qPrintable(r.error.message));
    return r.events;
}

// "Act ui.row after 3 reads 1 in 20", "Unplug after 2 reads 0 in 0"
QString describe(const HandsScript::Step &s)
{
    static const char *const what[] = {"Act", "Plug", "Unplug"};
    QString text = QString("%1 after %2 reads %3 in %4")
                       .arg(what[s.what])
                       .arg(s.after)
                       .arg(s.reads)
                       .arg(s.delayMs);
    if (s.what == HandsScript::Step::Act)
        text.insert(4, QString::fromLatin1(kindName(s.event.kind)) + ' ');
    return text;
}

const QByteArray kTick = "100000 write 1 CA\n150000 read 6 CA 1D 00 00 76 93\n";

} // namespace

class TestTraceHands : public QObject
{
    Q_OBJECT
private slots:
    void steps_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("click inside the wait")
            << QByteArray("100000 write 1 CA\n120000 ui.row 2 5\n150000 read 6 CA 1D 00 00 76 93\n")
            << QStringList{"Act ui.row after 1 reads 0 in 20"};
        QTest::newRow("click between ticks, no later than the next call")
            << kTick + "180000 ui.action\n190000 write 1 CA\n"
            << QStringList{"Act ui.action after 1 reads 1 in 80"};
        QTest::newRow("click long after the last tick")
            << kTick + "900000 ui.action\n905000 write 1 CA\n"
            << QStringList{"Act ui.action after 1 reads 1 in 800"};
        QTest::newRow("pulled inside the wait") << QByteArray(
            "100000 write 1 CA\n150000 read -4\n160000 error read -4 \"x\"\n"
            "200000 write -1 CA\n") << QStringList{"Unplug after 1 reads 0 in 0"};
        QTest::newRow("pulled after the answer") << kTick + "200000 write -1 CA\n"
                                                 << QStringList{"Unplug after 1 reads 1 in 50"};
        QTest::newRow("plugged before the open that works")
            << QByteArray(
                   "10 new ok\n20 interface A 0\n30 open 0433:6066 -3\n40 free\n"
                   "3000000 new ok\n3000010 interface A 0\n3000020 open 0433:6066 0\n")
            << QStringList{"Unplug after 2 reads 0 in 0", "Plug after 6 reads 0 in 0"};
        QTest::newRow("a listing is not counted")
            << QByteArray("10 new ok\n20 findall 0000:0000 2\n30 listfree\n40 ui.up\n50 free\n")
            << QStringList{"Act ui.up after 1 reads 0 in 0"};
    }

    void steps()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, steps);
        QStringList seen;
        for (const HandsScript::Step &s : handsScript(events(body)).steps)
            seen << describe(s);
        QCOMPARE(seen, steps);
    }

    // Closing cuts the last tick short: neither what the window showed after
    // the last call nor the shutdown's calls are the bike's.
    void closingEndsWhatIsCompared()
    {
        const HandsScript s =
            handsScript(events(kTick
                               + "160000 ui.status \"Connected-Engine%20On\"\n"
                                 "170000 write 1 CA\n"
                                 "171000 read 1 CA\n"
                                 "171100 ui.status \"Connected-Engine%20Off\"\n"
                                 "171200 ui.close\n171300 close 0\n171400 free\n"));
        QCOMPARE(s.calls.size(), 2);
        QCOMPARE(s.shown.size(), 1);
        QCOMPARE(s.shown.first().texts.first(), QByteArray("Connected-Engine On"));
        QCOMPARE(s.actions, 0);
        QCOMPARE(s.steps.size(), 1); // the close itself
    }

    void judge_data()
    {
        QTest::addColumn<QByteArray>("recorded");
        QTest::addColumn<QByteArray>("seen"); // window records the replay showed
        QTest::addColumn<QString>("divergence");
        const QByteArray reason = "10 ui.cable \"Kabel%20memakai%20driver%20libusbK\"\n";
        QTest::newRow("another PC's reason")
            << reason << QByteArray("10 ui.cable \"Kabel%200433\"\n") << QString();
        QTest::newRow("no reason where one was")
            << reason << QByteArray("10 ui.cable \"\"\n")
            << "trace line 2: expected a cable reason \"Kabel memakai driver libusbK\", seen no "
               "cable reason";
        QTest::newRow("a reason never shown")
            << reason << QByteArray()
            << "trace line 2: expected a cable reason \"Kabel memakai driver libusbK\", the window "
               "never showed it";
        QTest::newRow("another row's value")
            << QByteArray("10 ui.value 3 \"12\"\n") << QByteArray("10 ui.value 4 \"12\"\n")
            << "trace line 2: expected value of row 3 \"12\", seen value of row 4 \"12\"";
        QTest::newRow("more than recorded")
            << QByteArray("10 ui.info \"a\"\n")
            << QByteArray("10 ui.info \"a\"\n20 ui.info \"b\"\n") << QString();
    }

    void judge()
    {
        QFETCH(QByteArray, recorded);
        QFETCH(QByteArray, seen);
        QFETCH(QString, divergence);
        const HandsScript script = handsScript(events(recorded));
        ReplayJudge j(script);
        for (const Event &e : events(seen))
            j.shown(e);
        j.finish();
        QCOMPARE(j.firstDivergence(), divergence);
    }

    // A KWP ECU ends its session after 5 s without a request: a replay that
    // waits longer than that where the recording did not has diverged,
    // however long the recording itself waited elsewhere.
    void kwpRequestsComeWithinP3max()
    {
        const QByteArray body =
            "10 baud 10400 0\n100000 write 1 83\n210000 read 2 83 55\n"
            "4000000 write 1 83\n4110000 read 2 83 55\n";
        const HandsScript script = handsScript(events(body));
        QCOMPARE(script.calls.at(2).quietUs, qint64(3790000));
        QVERIFY(script.calls.at(2).kwpLine);
        ReplayJudge late(script), inTime(script);
        for (int i = 0; i < script.calls.size(); ++i) {
            const qint64 quiet = i == 2 ? 5200000 : script.calls.at(i).quietUs;
            late.call(script.calls.at(i).event, quiet);
            inTime.call(script.calls.at(i).event, i == 2 ? 4999000 : quiet);
        }
        QCOMPARE(late.firstDivergence(),
                 QString("trace line 5: the request came 5200 ms after the line last spoke "
                         "(recorded: 3790 ms); a KWP ECU ends its session after 5000 ms"));
        QVERIFY(inTime.clean());
    }
};

QTEST_GUILESS_MAIN(TestTraceHands)
#include "tst_tracehands.moc"
