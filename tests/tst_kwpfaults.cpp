// SPDX-License-Identifier: GPL-3.0-or-later
// KWP fault-code rows 61 and 62 over the cable: request rhythm, count,
// listing, clearing, and the pointer after a fault-code row.
#include "kwpexpected.h"
#include "kwpharness.h"

#include "virtualmain.h"
#include <QGuiApplication>
#include <QtTest>

using sim::KwpEcuConfig;
using sim::KwpRequest;
using sim::VirtualCable;

namespace {
// Rows: 1, 3, 5, 6, 61 (row 4), 62 (row 5).
KwpEcuConfig bikeWithCodes()
{
    KwpEcuConfig config;
    config.items = {{1, 0x20}, {3, 0x30}, {5, 0x50}, {6, 0x60}};
    config.history = {{0x0113, 0x20}, {0x0335, 0x20}};
    config.current = {{0x0122, 0xA1}, {0x0a12, 0xA1}};
    return config;
}
constexpr int kRow61 = 4;
constexpr int kRow62 = 5;

const QString kHistoryHeading = "Info: History kode kesalahan:\n";
const QString kCurrentHeading = "Info: Daftar kode kesalahan:\n";

// The requests the ECU heard from `from` on, by kind.
QList<KwpRequest> heardSince(const sim::KwpEcu &ecu, std::size_t from)
{
    QList<KwpRequest> out;
    for (std::size_t i = from; i < ecu.heard().size(); ++i)
        out << ecu.heard()[i].request;
    return out;
}
} // namespace

class TestKwpFaults : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void historyRowListsTheCodes()
    {
        KwpBench bench(bikeWithCodes());
        QVERIFY(bench.waitPolling());
        QCOMPARE(bench.probe.cell(kRow61, 2), QString("Clear Malfunction History"));
        bench.probe.clickRow(kRow61);
        QCOMPARE(bench.probe.infoLabel()->text(),
                 QString("Info: Jumlah history kesalahan(tekan tombol action untuk menghapus)"));
        QVERIFY(bench.probe.actionButton()->isEnabled());
        const QString listing = kHistoryHeading + "P0113: " + Expected::text113
                                + "\nP0335: " + Expected::text335 + "\n";
        QVERIFY(waitUntil([&] { return bench.probe.infoLabel()->text() == listing; }));
        QCOMPARE(bench.probe.cell(kRow61, 3), QString("2"));
        QVERIFY(bench.log.contains("dtc num=2"));
        QVERIFY(!QGuiApplication::overrideCursor());

        // Each tick from now on: tester-present, then the history request.
        const std::size_t from = bench.ecu->heard().size();
        QVERIFY(waitUntil([&] { return bench.ecu->heard().size() >= from + 6; }));
        const QList<KwpRequest> rhythm = heardSince(*bench.ecu, from).mid(0, 6);
        const QList<KwpRequest> pair = {KwpRequest::TesterPresent, KwpRequest::ReadDtc};
        QCOMPARE(rhythm, pair + pair + pair);
        QVERIFY(bench.log.anyStartsWith("1:c1,33,f0,3e,22,81,f0,10,7e,"));
        QVERIFY(
            bench.log.anyStartsWith("2:84,10,f0,18,20,ff,ff,ba,88,f0,10,58,2,1,13,20,3,35,20,"));
        QCOMPARE(bench.ecu->pointerCode(), 1); // the pointer stays where it was
    }

    void currentRowCountsHalfAndClears()
    {
        KwpBench bench(bikeWithCodes());
        QVERIFY(bench.waitPolling());
        bench.probe.clickRow(kRow62);
        const QString listing = kCurrentHeading + "P0122: " + Expected::text122 + "\nP0a12: \n";
        QVERIFY(waitUntil([&] { return bench.probe.infoLabel()->text() == listing; }));
        QCOMPARE(bench.probe.cell(kRow62, 3), QString("2"));

        const std::size_t from = bench.ecu->heard().size();
        const int logFrom = bench.log.texts().size();
        QVERIFY(bench.probe.actionButton()->isEnabled());
        bench.probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return bench.probe.infoLabel()->text() == kCurrentHeading; }));
        QCOMPARE(bench.probe.cell(kRow62, 3), QString("0"));
        QVERIFY(bench.log.indexOf("clear dtc...", logFrom) >= 0);
        // The clear frame replaces the tester-present frame and the list is
        // read again on the same tick.
        const QList<KwpRequest> heard = heardSince(*bench.ecu, from);
        const int clear = heard.indexOf(KwpRequest::ClearDtc);
        QVERIFY(clear >= 0);
        QCOMPARE(heard.value(clear + 1), KwpRequest::ReadDtc);
        QCOMPARE(bench.ecu->heardCount(KwpRequest::ClearDtc), 1);
        QVERIFY(bench.ecu->config().history.empty());
        QVERIFY(bench.ecu->config().current.empty());
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(bench.probe.actionStep(), 0);
    }

    void countBeyondTheRecordsListsWholeRecords()
    {
        KwpEcuConfig config = bikeWithCodes();
        config.history = {{0x0507, 0x20}};
        config.extraDtcCount = 3;
        KwpBench bench(config);
        QVERIFY(bench.waitPolling());
        bench.probe.clickRow(kRow61);
        QVERIFY(waitUntil([&] { return bench.probe.cell(kRow61, 3) == "4"; }));
        QCOMPARE(bench.probe.infoLabel()->text(),
                 kHistoryHeading + "P0507: " + Expected::text507 + "\n");
    }

    // A fault-code row asks its codes without moving the ECU's pointer, so
    // the walk to the next item row starts from where the pointer stayed.
    void movingOnFromAFaultRowStartsWhereThePointerStayed()
    {
        KwpBench bench(bikeWithCodes());
        QVERIFY(bench.waitPolling());
        bench.probe.clickRow(2);
        const QString item5 = bench.window.convertdiagval("5", "50");
        QVERIFY(waitUntil([&] { return bench.probe.cell(2, 3) == item5; }));
        bench.probe.clickRow(kRow61);
        QVERIFY(waitUntil([&] { return bench.probe.cell(kRow61, 3) == "2"; }));
        QCOMPARE(bench.ecu->pointerCode(), 5);

        const int from = bench.log.texts().size();
        bench.probe.clickRow(3);
        const QString item6 = bench.window.convertdiagval("6", "60");
        QVERIFY(waitUntil([&] { return bench.probe.cell(3, 3) == item6; }));
        int ups = 0, downs = 0;
        for (const QString &line : bench.log.texts().mid(from)) {
            ups += line == "up";
            downs += line == "down";
        }
        QCOMPARE(ups, 1);
        QCOMPARE(downs, 0);
        QCOMPARE(bench.ecu->pointerCode(), 6);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestKwpFaults)
#include "tst_kwpfaults.moc"
