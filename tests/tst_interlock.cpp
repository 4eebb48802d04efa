// SPDX-License-Identifier: GPL-3.0-or-later
// The Action interlock end to end, on virtual time: whatever the order of
// clicks, the ECU runs a check or erases its codes only for the row Action
// was pressed on, in the session that saw the press, and every row keeps
// following its own item.
#include "kwpharness.h"
#include "tst_autobench.h"

#include "virtualmain.h"
#include <QGuiApplication>
#include <QtTest>

using sim::EcuAct;
using sim::KwpEcuConfig;

namespace {
// Rows 0..4: 1, 3, 30 (coil), 5, 51 (fan); 61 is row 5, 62 row 6.
KwpEcuConfig kwpBike()
{
    KwpEcuConfig config;
    config.items = {{1, 0x20}, {3, 0x30}, {30, 0x07, true}, {5, 0x50}, {51, 0x00, true}};
    config.history = {{0x0113, 0x20}, {0x0335, 0x20}};
    config.current = {{0x0122, 0xA1}};
    return config;
}
constexpr int kCoilRow = 2;
constexpr int kHistoryRow = 5;

int actsOf(const std::vector<EcuAct> &acts, EcuAct::Kind kind)
{
    return int(std::count_if(acts.begin(), acts.end(),
                             [kind](const EcuAct &a) { return a.kind == kind; }));
}

// No wait cursor: the ECU has reached the row and nothing is asked of it.
bool waitIdle()
{
    return waitUntil([&] { return !QGuiApplication::overrideCursor(); }, 20000);
}
} // namespace

class TestInterlock : public QObject
{
    Q_OBJECT
private slots:
    void init() { autobench::resetCable(); }

    // Coil, history, coil again: the coil row is followed again, and
    // Action there checks the coil; nothing is erased.
    void kwpBackFromTheHistoryRowFollowsTheItem()
    {
        KwpBench bench(kwpBike());
        QVERIFY(bench.waitPolling());
        bench.probe.clickRow(kCoilRow);
        QVERIFY(waitUntil([&] { return bench.probe.cell(kCoilRow, 3) == "7"; }));
        bench.probe.clickRow(kHistoryRow);
        QVERIFY(waitUntil([&] { return bench.probe.cell(kHistoryRow, 3) == "2"; }));
        bench.probe.clickRow(kCoilRow);
        QVERIFY(waitIdle());
        bench.ecu->config().items[kCoilRow].raw = 0x09;
        QVERIFY(waitUntil([&] { return bench.probe.cell(kCoilRow, 3) == "9"; }));
        QVERIFY(bench.probe.actionButton()->isEnabled());
        bench.probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return !bench.ecu->acts().acts().empty(); }));
        QVERIFY(waitIdle());
        const std::vector<EcuAct> &acts = bench.ecu->acts().acts();
        QCOMPARE(actsOf(acts, EcuAct::Kind::Clear), 0);
        QCOMPARE(int(acts.size()), 1);
        QCOMPARE(acts[0].index, kCoilRow);
        QCOMPARE(acts[0].code, 30);
        QVERIFY(!bench.log.contains("clear dtc..."));
        QCOMPARE(int(bench.ecu->config().history.size()), 2);
    }

    // Two quick clicks on the history row: the codes are listed, and Action
    // there erases them; no item is checked.
    void kwpDoubleClickOnTheHistoryRow()
    {
        KwpBench bench(kwpBike());
        QVERIFY(bench.waitPolling());
        bench.probe.clickRow(kHistoryRow);
        bench.probe.clickRow(kHistoryRow);
        QVERIFY(waitUntil([&] { return bench.probe.cell(kHistoryRow, 3) == "2"; }));
        QVERIFY(
            bench.probe.infoLabel()->text().startsWith("Info: History kode kesalahan:\nP0113: "));
        bench.probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return bench.probe.cell(kHistoryRow, 3) == "0"; }));
        QVERIFY(waitIdle());
        const std::vector<EcuAct> &acts = bench.ecu->acts().acts();
        QCOMPARE(actsOf(acts, EcuAct::Kind::Check), 0);
        QCOMPARE(actsOf(acts, EcuAct::Kind::Clear), 1);
    }

    // A write fails in the middle of a check: the rest of its keys are not
    // sent, neither before nor after the new session.
    void autoCheckCutByAWriteErrorStaysCut()
    {
        LogCapture log;
        auto ecu = autobench::seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(autobench::sessionWithRows(probe, 24));
        QVERIFY(autobench::selectAndRead(probe, *ecu, 30));
        bool failed = false;
        ecu->acts().tap([&](const EcuAct &) {
            if (!failed && ecu->acts().acts().size() == 2) {
                sim::VirtualCable::instance().failWrites(1);
                failed = true;
            }
        });
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return failed && probe.status() == "Not Connect."; }));
        const std::size_t cut = ecu->acts().acts().size();
        QVERIFY(cut < 9);
        QVERIFY(waitUntil([&] { return log.count("Connected.") == 2; }));
        QVERIFY(autobench::sessionWithRows(probe, 24));
        QVERIFY(autobench::selectAndRead(probe, *ecu, 36)); // the first rows walked past
        waitUntil([] { return false; }, 3000);
        QCOMPARE(ecu->acts().acts().size(), cut);
        QVERIFY(!probe.actionButton()->isEnabled() || probe.actionStep() == 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // Writes fail while the CO login walks its keys, so the ECU never sees
    // the keys that set its CO walk apart from its diagnosis login: the
    // login starts again from identification. Resumed, its action keys
    // would finish the diagnosis login and then check the first item.
    void autoCoLoginCutByWriteErrorsStartsOver()
    {
        using namespace autobench;
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        std::size_t afterCut = 0;
        const QString error = inCoWindow(probe, [&]() -> QString {
            log.clear(); // only the CO login's lines count
            CHECK_OR_RETURN(log.waitFor("tick cerr= 35", kCeiling), "the CO login never began");
            sim::VirtualCable::instance().failWrites(3);
            CHECK_OR_RETURN(
                waitUntil([] { return sim::VirtualCable::instance().writesToFail() == 0; },
                          kCeiling),
                "the writes never failed");
            afterCut = sentCount();
            CHECK_OR_RETURN(log.waitFor("tick 55", kCeiling), "no CO session after the cut");
            return QString();
        });
        QCOMPARE(int(ecu->acts().acts().size()), 0);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const std::vector<std::uint8_t> sent = sentSince(afterCut);
        QVERIFY(!sent.empty());
        QCOMPARE(int(sent.front()), int(kIdentify));
    }

    // An item the catalogue does not know sits in the ECU's list before the
    // coil: the coil's row is reached, shows its value and is the one
    // checked.
    void autoRowsBehindAnUnknownItem()
    {
        sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion();
        config.items = {1, 3, 0x96, 30, 5};
        config.raw = {{1, 0x10}, {3, 0x40}, {0x96, 0x33}, {30, 0x05}, {5, 0x50}};
        auto ecu = autobench::seat(config);
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(autobench::sessionWithRows(probe, 5));
        QCOMPARE(probe.cell(2, 1), QString("150"));
        probe.clickRow(3);
        QVERIFY(waitUntil([&] { return probe.cell(3, 3) == "5"; }));
        QVERIFY(waitIdle());
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return ecu->acts().acts().size() == 9; }));
        for (const EcuAct &act : ecu->acts().acts()) {
            QCOMPARE(act.index, 3);
            QCOMPARE(act.code, 30);
        }
        probe.clickRow(4);
        QVERIFY(waitUntil([&] { return probe.cell(4, 3) == "50"; }));
    }

    void kwpRowsBehindAnUnknownItem()
    {
        KwpEcuConfig config = kwpBike();
        config.items.insert(config.items.begin() + 2, {0xA0, 0x44});
        KwpBench bench(config);
        QVERIFY(bench.waitPolling());
        QCOMPARE(bench.column(1), QStringList({"1", "3", "160", "30", "5", "51", "61", "62"}));
        bench.probe.clickRow(3);
        QVERIFY(waitUntil([&] { return bench.probe.cell(3, 3) == "7"; }));
        QVERIFY(waitIdle());
        bench.probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return !bench.ecu->acts().acts().empty(); }));
        QCOMPARE(bench.ecu->acts().acts().front().index, 3);
        QCOMPARE(bench.ecu->acts().acts().front().code, 30);
        bench.probe.clickRow(4);
        QVERIFY(waitUntil([&] { return bench.probe.cell(4, 3) == "50"; }));
    }

    // After a reconnect the table is built anew with no row selected: Action
    // is off, and a press cannot wait for a later row.
    void kwpActionIsOffAfterAReconnect()
    {
        KwpBench bench(kwpBike());
        QVERIFY(bench.waitPolling());
        bench.probe.clickRow(kCoilRow);
        QVERIFY(waitIdle());
        QVERIFY(bench.probe.actionButton()->isEnabled());
        sim::VirtualCable::instance().failWrites(1);
        QVERIFY(waitUntil([&] { return bench.probe.status() == "Not Connect."; }));
        QVERIFY(waitUntil([&] { return bench.logged("Connected.") == 2; }));
        QVERIFY(bench.waitPolling());
        QVERIFY(!bench.probe.actionButton()->isEnabled());
        bench.probe.actionButton()->click();
        QCOMPARE(bench.probe.actionStep(), 0);
        bench.probe.clickRow(kCoilRow);
        QVERIFY(waitUntil([&] { return bench.probe.cell(kCoilRow, 3) == "7"; }));
        bench.probe.clickRow(kHistoryRow);
        QVERIFY(waitUntil([&] { return bench.probe.cell(kHistoryRow, 3) == "2"; }));
        QVERIFY(bench.ecu->acts().acts().empty());
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestInterlock)
#include "tst_interlock.moc"

#include <cstdint>
