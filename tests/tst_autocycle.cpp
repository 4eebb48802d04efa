// SPDX-License-Identifier: GPL-3.0-or-later
// The Auto cycles as reply -> request scripts: which answer, in which state,
// asks for which key next, and what the window must show. No window, no
// event loop, no clock.
#include "support/cycleaccess.h"
#include "support/replybytes.h"
#include "ui/statustexts.h"

#include <QtTest>

#include <cstdint>
#include <functional>

using namespace AutoKey;

namespace {
// One tick: the key the cycle asks for, answered by `ecu` ("fe,0,0" style
// bytes, "" for silence); returns the effects of the answer (and in
// `asked` those shown as the key went out).
Effects tick(Cycle &cycle, const std::function<QString(std::uint8_t)> &ecu, QString *keys = nullptr,
             Effects *asked = nullptr)
{
    const Step step = cycle.next();
    if (asked)
        *asked = step.effects;
    const std::uint8_t key = std::uint8_t(step.request.at(0));
    if (keys)
        *keys += QString::number(key, 16) + ' ';
    const Effects out = cycle.onReply(replyBytes(ecu(key)));
    const Step end = cycle.next();
    Q_ASSERT(end.kind == Step::Kind::End && end.restartMs < 0); // the timer runs on
    return out;
}

// An answer that shows item `code` (status 40), behind the key's echo.
QString showsItem(std::uint8_t key, int code)
{
    return QString("%1,1c,0,40,%2,0").arg(key, 0, 16).arg(code, 0, 16);
}
QString showsValue(std::uint8_t key, int raw, bool checking = false)
{
    return QString("%1,1c,0,%2,%3,0").arg(key, 0, 16).arg(checking ? "80" : "0").arg(raw, 0, 16);
}

const QList<QString> kNoFaultTexts;

// A cycle whose scan has just built the table of `items` and brought the
// session up, the ECU back on item 1.
void scanInto(AutoCycle &cycle, const QList<int> &items)
{
    CycleAccess::loginStep(cycle) = AutoProtocol::ScanGroupStart;
    int at = 0;
    for (int i = 0; i <= items.size() * 8 + 8 && cycle.state() == int(AutoCycle::State::Login); ++i)
        tick(cycle, [&](std::uint8_t key) {
            if (key != Up)
                return showsValue(key, 0);
            const int code = items.value(at % items.size());
            ++at;
            return showsItem(key, code);
        });
}

// Walks the ECU to `row` of `items` and lets it confirm the row.
void walkTo(AutoCycle &cycle, const QList<int> &items, int row)
{
    cycle.select(row);
    int at = 0;
    for (int i = 0; i < 4 * (row + 2) && !cycle.items().pointer().standsOn(row); ++i)
        tick(cycle, [&](std::uint8_t key) {
            at += key == Up ? 1 : key == Down ? -1 : 0;
            return showsItem(key, items.value(at));
        });
}
} // namespace

class TestAutoCycle : public QObject
{
    Q_OBJECT
private slots:
    // The whole login: identification, the acknowledgement, the login keys,
    // then the scan, which shows "Engine On", builds the table and brings
    // the session up back on item 1.
    void loginBuildsTheTable()
    {
        AutoCycle cycle(kNoFaultTexts, ItemWalk({7, 8}, 1, 0)); // an earlier table still shown
        QString keys;
        const QList<int> items = {1, 5, 30};
        int at = 0;
        bool acknowledged = false;
        QList<int> rows;
        bool cleared = false;
        QString statusOn;
        QString named;
        const auto ecu = [&](std::uint8_t key) -> QString {
            if (key == Identify)
                return "fe,0,0"; // vixion
            if (key == Action && !acknowledged) {
                acknowledged = true;
                return "ce,0,10";
            }
            if (key == Up)
                return showsItem(key, items[at++ % items.size()]);
            return QString("%1,0,1").arg(key, 0, 16);
        };
        for (int i = 0; i < 80 && cycle.state() == int(AutoCycle::State::Login); ++i) {
            Effects asked;
            const Effects out = tick(cycle, ecu, &keys, &asked);
            if (asked.status)
                statusOn = StatusText::of(*asked.status);
            cleared |= out.clearTable;
            named += out.ecuNamed;
            if (out.clearTable)
                rows.clear();
            if (out.addRow >= 0)
                rows << out.addRow;
        }
        QVERIFY(cleared);
        const QString login =
            "fe ce ca " + QString("ce ").repeated(15) + QString("ca ").repeated(26);
        // Each up key that brings an item's code starts the group again.
        QCOMPARE(keys, login + QString("cb ").repeated(4));
        QCOMPARE(rows, QList<int>({1, 5, 30}));
        QCOMPARE(statusOn, QString("Connected-Engine On"));
        QCOMPARE(cycle.state(), int(AutoCycle::State::Session));
        QCOMPARE(cycle.items().codes(), QList<int>({1, 5, 30}));
        QVERIFY(cycle.items().pointer().standsOn(0));
        QCOMPARE(cycle.expectedReply(), 0x1);
        QCOMPARE(named, QString("vixion")); // for the report
    }

    // Only the ECU's own two-byte answer behind the key's echo identifies
    // or acknowledges; only a whole reading announces an item.
    void onlyAnswersToTheKeyCount_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("stepAfter");
        QTest::addColumn<int>("row"); // -1: none added
        QTest::newRow("identified") << 0 << "fe,0,1" << 1 << -1;
        QTest::newRow("aerox unlocks first") << 0 << "fe,0,48" << -10 << -1;
        QTest::newRow("a reading is no identification") << 0 << "fe,1c,0,0,20,0" << 0 << -1;
        QTest::newRow("a reading's head is no identification") << 0 << "1c,0,0" << 0 << -1;
        QTest::newRow("acknowledged") << 1 << "ce,0,90" << 2 << -1;
        QTest::newRow("a reading's head is no acknowledgement") << 1 << "1c,0,10" << 1 << -1;
        QTest::newRow("too short starts over") << 20 << "ce,0" << 0 << -1;
        QTest::newRow("announced in the scan") << 45 << "ca,1c,0,40,1,67" << 44 << 1;
        QTest::newRow("not before the scan") << 39 << "ca,1c,0,40,1,67" << 40 << -1;
        QTest::newRow("a glued answer announces nothing")
            << 45 << "ca,1c,0,40,1,67,1c,0,40,3,5f" << 44 << -1;
    }
    void onlyAnswersToTheKeyCount()
    {
        QFETCH(int, step);
        QFETCH(QString, reply);
        QFETCH(int, stepAfter);
        QFETCH(int, row);
        AutoCycle cycle(kNoFaultTexts);
        CycleAccess::loginStep(cycle) = step;
        const Effects out = tick(cycle, [&](std::uint8_t) { return reply; });
        QCOMPARE(cycle.loginStep(), stepAfter);
        QCOMPARE(out.addRow, row);
    }

    // The session moves the ECU one row per code it shows, and writes the
    // value only once the ECU has shown the selected row's own code.
    void sessionFollowsTheSelection()
    {
        const QList<int> items = {1, 5, 6, 9};
        AutoCycle cycle(kNoFaultTexts);
        scanInto(cycle, items);
        QCOMPARE(cycle.state(), int(AutoCycle::State::Session));
        cycle.select(2);
        QString keys;
        int at = 0;
        const auto ecu = [&](std::uint8_t key) {
            at += key == Up ? 1 : key == Down ? -1 : 0;
            return showsItem(key, items[at]);
        };
        for (int i = 0; i < 3; ++i)
            tick(cycle, ecu, &keys);
        QCOMPARE(keys, QString("ca cb cb "));         // no move before a code is shown
        QVERIFY(cycle.items().pointer().standsOn(2)); // the ECU has shown row 2's code
        QVERIFY(!cycle.items().selectionPending());
        const Effects out = tick(cycle, [](std::uint8_t key) { return showsValue(key, 0x50); });
        QCOMPARE(out.valueRow, 2);
        QCOMPARE(out.value, QString("50")); // item 6: raw - 30
        QCOMPARE(out.checking, std::optional<bool>(false));
    }

    // The check of item 67 is the long sequence; every check ends by itself.
    void checkKeys_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("keys");
        QTest::newRow("coil") << 30 << QString("ce ").repeated(9);
        QTest::newRow("fault codes, item 62") << 62 << QString("ce ").repeated(9);
        QTest::newRow("ISC, item 67")
            << 67
            << QString("ce ").repeated(9) + QString("ca ").repeated(11)
                   + QString("ce ").repeated(10) + QString("ca ").repeated(10)
                   + QString("ce ").repeated(9);
    }
    void checkKeys()
    {
        QFETCH(int, item);
        QFETCH(QString, keys);
        const QList<int> items = {1, item};
        AutoCycle cycle(kNoFaultTexts);
        scanInto(cycle, items);
        walkTo(cycle, items, 1);
        QVERIFY(cycle.press());
        QString sent;
        int clearedAt = -1;
        for (int i = 0; i < 60 && cycle.items().request().pending(); ++i) {
            Effects asked;
            tick(cycle, [&](std::uint8_t key) { return showsItem(key, item); }, &sent, &asked);
            if (asked.faultsCleared)
                clearedAt = i;
        }
        QCOMPARE(sent, keys);
        // Only the check of item 62 erases the codes, with its last key.
        QCOMPARE(clearedAt, item == 62 ? int(keys.count(' ')) - 1 : -1);
        QCOMPARE(cycle.items().actionStep(), 0);
        sent.clear();
        tick(cycle, [&](std::uint8_t key) { return showsItem(key, item); }, &sent);
        QCOMPARE(sent, QString("ca "));
    }

    // A press belongs to the session that saw it: lost before it went out,
    // it is not carried out in the next session, even on the same row.
    void pressDoesNotOutliveItsSession()
    {
        const QList<int> items = {1, 30};
        AutoCycle cycle(kNoFaultTexts);
        scanInto(cycle, items);
        cycle.select(1);
        QVERIFY(cycle.press());
        tick(cycle, [](std::uint8_t) { return QString("ca"); }); // one byte: the session ends
        QCOMPARE(cycle.state(), int(AutoCycle::State::Login));
        scanInto(cycle, items);
        QCOMPARE(cycle.state(), int(AutoCycle::State::Session));
        walkTo(cycle, items, 1); // the mechanic selects the row again
        QString sent;
        for (int i = 0; i < 5; ++i)
            tick(cycle, [](std::uint8_t key) { return showsItem(key, 30); }, &sent);
        QVERIFY2(!sent.contains("ce"), qPrintable(sent));
    }

    // Item 61's value is a fault code: its explanation goes below the heading.
    void historyValueIsExplained_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("info");
        QTest::newRow("12") << 0x0C << "Info: History kode kesalahan\nCKPS";
        QTest::newRow("no text") << 0x00 << "Info: History kode kesalahan";
        QTest::newRow("beyond the catalogue") << 0xFF << "Info: History kode kesalahan";
    }
    void historyValueIsExplained()
    {
        QFETCH(int, raw);
        QFETCH(QString, info);
        QList<QString> texts;
        for (int i = 0; i < AutoProtocol::FaultSlots; ++i)
            texts << (i == 12 ? "CKPS" : "");
        const QList<int> items = {1, 61};
        AutoCycle cycle(texts);
        scanInto(cycle, items);
        walkTo(cycle, items, 1);
        const Effects out = tick(cycle, [&](std::uint8_t key) { return showsValue(key, raw); });
        QCOMPARE(out.value, QString::number(raw));
        QCOMPARE(out.info.value_or(QString()), info);
    }

    // --- the CO cycle ---

    // Its own identification, the count to step 9, the two-cylinder answer,
    // then the key group and the action keys until the ECU leaves the
    // pattern at step 55 or later.
    void coLoginOfATwinCylinderModel()
    {
        AutoCoCycle cycle;
        QString keys;
        bool offered = false;
        int answered = 0;
        const auto ecu = [&](std::uint8_t key) -> QString {
            if (key == Identify)
                return "fe,0,1"; // mio j: in step on 0
            ++answered;
            if (answered == 9)
                return "ce,0,0,40,0,1"; // two cylinders
            return answered < 60 ? QString("%1,0,0").arg(key, 0, 16) : "ce,0,5";
        };
        for (int i = 0; i < 80 && cycle.state() == int(AutoCoCycle::State::Login); ++i)
            offered |= tick(cycle, ecu, &keys).offerCylinders;
        QVERIFY(offered);
        QCOMPARE(keys.left(3 * 10), "fe " + QString("ce ").repeated(9));
        QVERIFY(keys.contains("ce cb ca ca ca ca ce ")); // the group from step 41
        QCOMPARE(cycle.state(), int(AutoCoCycle::State::Session));
    }

    // The change is 27 keys, the thirteenth telling the cylinder; one cut
    // by a lost line starts again from its first key in the next session.
    void cylinderChange_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("thirteenth");
        QTest::newRow("cylinder 1") << 0 << "ca";
        QTest::newRow("cylinder 2") << 1 << "cb";
    }
    void cylinderChange()
    {
        QFETCH(int, index);
        QFETCH(QString, thirteenth);
        const QString keys = QString("ce ").repeated(8) + QString("ca ").repeated(4) + thirteenth
                             + ' ' + QString("ca ").repeated(4) + QString("ce ").repeated(10);
        const auto ecu = [](std::uint8_t key) { return QString("%1,0,0").arg(key, 0, 16); };
        AutoCoCycle cut;
        CycleAccess::setState(cut, AutoCoCycle::State::Session);
        cut.cylinder(index);
        for (int i = 0; i < 13; ++i)
            tick(cut, ecu);
        QCOMPARE(cut.cylinderOwed(), 2 + index);

        AutoCoCycle next(AutoCoCycle::State(cut.cylinderOwed())); // after the reconnect
        CycleAccess::loginStep(next) = 55;
        tick(next, ecu); // off the pattern: the session is up, the change begins
        QCOMPARE(next.state(), 2 + index);
        QString sent;
        for (int i = 0; i < 30 && next.state() != int(AutoCoCycle::State::Session); ++i)
            tick(next, ecu, &sent);
        QCOMPARE(sent, keys);
    }

    // A reading shows engine speed and, unless the ECU shows an item code,
    // the CO setting; Up and Down go out in place of a reading.
    void coReadings()
    {
        AutoCoCycle cycle;
        CycleAccess::setState(cycle, AutoCoCycle::State::Session);
        Effects out = tick(cycle, [](std::uint8_t) { return QString("ca,1c,0,0,85,0"); });
        QCOMPARE(out.rpm.value_or(-1), 1400);
        QCOMPARE(out.co.value_or(-999), 5);
        QVERIFY(cycle.key(Up));
        QString sent;
        out = tick(cycle, [](std::uint8_t) { return QString("cb,1c,0,40,85,0"); }, &sent);
        QCOMPARE(sent, QString("cb "));
        QVERIFY(!out.co); // an item code shown: the setting keeps its value
        out = tick(cycle, [](std::uint8_t) { return QString("ca"); });
        QCOMPARE(cycle.state(), int(AutoCoCycle::State::Login));
        QVERIFY(!cycle.key(Up)); // no session, no key
    }
};

QTEST_APPLESS_MAIN(TestAutoCycle)
#include "tst_autocycle.moc"
