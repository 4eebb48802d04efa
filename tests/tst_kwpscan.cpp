// SPDX-License-Identifier: GPL-3.0-or-later
// Login, search for item 1 and the table scan against the simulated KWP ECU.
#include "kwpharness.h"

#include "virtualmain.h"
#include <QtTest>

using sim::KwpEcuConfig;
using sim::KwpFault;
using sim::KwpRequest;
using sim::VirtualCable;

class TestKwpScan : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void loginStraightToScanBuildsRows()
    {
        KwpBench bench;
        QVERIFY(bench.waitLogged("add table finished", 30000));
        QVERIFY(bench.log.contains("login xmax 11 success 1"));
        QVERIFY(!bench.log.contains("login xmax 12 success"));
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61", "62"}));
        QCOMPARE(bench.probe.rowCodes(), QList<int>({1, 2, 3, 61, 62}));
        QCOMPARE(bench.probe.sessionState(), SessionState::Up);
        QCOMPARE(bench.probe.scanPass(), 0);
        QCOMPARE(bench.probe.status(), QString("Connected-Engine On"));
        QCOMPARE(bench.ecu->pointerCode(), 1);
        QCOMPARE(bench.column(0), QStringList({"-", "-", "-", "A", "A"}));
        QCOMPARE(bench.column(2), QStringList({"TPS", "-", "IAPS", "Clear Malfunction History",
                                               "Clear Malfunction Code"}));
    }

    void searchWalksToItemOne()
    {
        KwpEcuConfig config;
        config.items = {{1, 0x20}, {3, 0x30}, {5, 0x50}, {6, 0x60}};
        config.startIndex = 2; // item 5
        KwpBench bench(config);
        QVERIFY(bench.waitLogged("found tps", 30000));
        QVERIFY(bench.log.contains("login xmax 12 success"));
        QVERIFY(bench.log.contains("search ca:83,10,f0,31,70,ca,ee,87,f0,10,71,70,d0,5,50,0,0,8d"));
        QVERIFY(
            bench.log.contains("search cb:83,10,f0,31,70,cb,ef,87,f0,10,71,70,d0,6,60,0,0,9e,"));
        QCOMPARE(bench.log.count("search ca:83,10,f0,31,70,ca,ee,87,f0,10,71,70,d0,1,20,0,0,59"),
                 1);
        int searches = 0, moves = 0;
        for (const QString &line : bench.log.texts()) {
            searches += line.startsWith("search ca:");
            moves += line.startsWith("search cb:");
        }
        QCOMPARE(searches, 3);
        QCOMPARE(moves, 2);
        QVERIFY(bench.waitLogged("add table finished", 30000));
        QCOMPARE(bench.column(1), QStringList({"1", "3", "5", "6", "61", "62"}));
    }

    void searchEchoOnlyDropsTheSession()
    {
        KwpEcuConfig config;
        config.startIndex = 1;
        KwpBench bench(config);
        QVERIFY(bench.waitLogged("login xmax 12 success", 30000));
        bench.ecu->setSilent(true);
        bench.probe.appendItemRow(5);
        QVERIFY(bench.waitLogged("ecu disconnected 12"));
        QVERIFY(bench.log.contains("search ca:83,10,f0,31,70,ca,ee"));
        QCOMPARE(bench.probe.status(), QString("Connected-Engine Off"));
        QCOMPARE(bench.probe.pollTimer()->interval(), 1000);
        QCOMPARE(bench.probe.sessionState(), SessionState::None);
        QCOMPARE(bench.probe.table()->rowCount(), 0);
        QVERIFY(bench.probe.rowCodes().isEmpty());
    }

    void scanEchoOnlyDropsTheSession()
    {
        KwpBench bench;
        QVERIFY(bench.waitLogged("code awal 1", 30000));
        bench.ecu->setSilent(true);
        QVERIFY(bench.waitLogged("ecu disconnected 11"));
        QCOMPARE(bench.probe.status(), QString("Connected-Engine Off"));
        QCOMPARE(bench.probe.pollTimer()->interval(), 1000);
        QCOMPARE(bench.probe.sessionState(), SessionState::None);
        QCOMPARE(bench.probe.scanPass(), 0);
        QCOMPARE(bench.probe.table()->rowCount(), 0);
    }

    void failedHoldLogsInAgainWithOneCopyOfTheRows_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("7f,31,22") << int(KwpFault::Negative);
        QTest::newRow("garbage") << int(KwpFault::Garbage);
    }
    void failedHoldLogsInAgainWithOneCopyOfTheRows()
    {
        QFETCH(int, fault);
        KwpBench bench;
        QVERIFY(bench.waitLogged("add table DTC xmax 61", 30000));
        bench.ecu->injectFault(KwpRequest::Hold, KwpFault(fault));
        QVERIFY(bench.waitLogged("cmd ca failed"));
        QCOMPARE(bench.probe.sessionState(), SessionState::None);
        QCOMPARE(bench.probe.pollTimer()->interval(), 110);
        QCOMPARE(bench.probe.status(), QString("Connected-Engine On"));
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61"})); // kept for now
        // The pointer is still on item 1: the login goes straight to the scan,
        // which starts from an empty table.
        QVERIFY(bench.waitLogged("add table finished", 30000));
        QCOMPARE(bench.logged("login xmax"), 2);
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61", "62"}));
        QCOMPARE(bench.probe.rowCodes(), QList<int>({1, 2, 3, 61, 62}));
    }

    void failedMoveLogsInAgain()
    {
        KwpBench bench;
        QVERIFY(bench.waitLogged("code awal 1", 30000));
        bench.ecu->injectFault(KwpRequest::Up, KwpFault::Negative);
        QVERIFY(bench.waitLogged("cmd cb failed"));
        QCOMPARE(bench.probe.sessionState(), SessionState::None);
        QCOMPARE(bench.probe.pollTimer()->interval(), 110);
        QVERIFY(bench.waitLogged("add table finished", 30000));
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61", "62"}));
    }

    // Every ECU item has its row, so that row r stays r steps from item 1.
    void codesOutsideTheCatalogueGetADashRow()
    {
        KwpEcuConfig config;
        config.items = {{1, 0x20}, {0x70, 0x11}, {2, 0x40}};
        KwpBench bench(config);
        QVERIFY(bench.waitLogged("add table finished", 30000));
        QVERIFY(bench.log.contains("code awal 112"));
        QCOMPARE(bench.column(1), QStringList({"1", "112", "2", "61", "62"}));
        QCOMPARE(bench.column(2).mid(1, 2), QStringList({"-", "-"}));
        QCOMPARE(bench.probe.rowCodes(), QList<int>({1, 112, 2, 61, 62}));
        bench.probe.clickRow(2);
        const QString item2 = bench.window.convertdiagval("2", "40");
        QVERIFY(waitUntil([&] { return bench.probe.cell(2, 3) == item2; }));
        QCOMPARE(bench.ecu->pointerCode(), 2);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestKwpScan)
#include "tst_kwpscan.moc"
