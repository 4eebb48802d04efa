// Login, search for item 1 and the table scan against the simulated KWP ECU.
#include "kwpharness.h"

#include "protocolcounters.h"

#include <QtTest>

using sim::KwpEcuConfig;
using sim::VirtualCable;

class TestKwpScan : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        VirtualCable::instance().reset();
        protocolCounters() = ProtocolCounters();
    }

    void loginStraightToScanBuildsRows()
    {
        KwpBench bench;
        QVERIFY(bench.waitLogged("add table finished", 30000));
        QVERIFY(bench.log.contains("login xmax 11 success 1"));
        QVERIFY(!bench.log.contains("login xmax 12 success"));
        QCOMPARE(bench.column(1), QStringList({"1", "2", "3", "61", "62"}));
        QCOMPARE(bench.probe.rowCodes(), QList<QString>({"1", "2", "3", "61", "62"}));
        QCOMPARE(bench.probe.sessionState(), 1);
        QCOMPARE(bench.probe.scanPass(), 0);
        QCOMPARE(bench.probe.status(), QString("Connected-Engine On"));
        QCOMPARE(bench.ecu->pointerCode(), 1);
    }
};

QTEST_MAIN(TestKwpScan)
#include "tst_kwpscan.moc"
