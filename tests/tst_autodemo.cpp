// SPDX-License-Identifier: GPL-3.0-or-later
// The demo's Auto bike: a full table, values that live, faults to read.
#include "support/logcapture.h"
#include "tst_autobench.h"

#include "virtualmain.h"
#include <QSet>
#include <QtTest>

using namespace autobench;

class TestAutoDemo : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetCable(); }

    void idlingVixionLivesAndHasFaults()
    {
        LogCapture log;
        auto ecu = seat(sim::AutoEcuConfig::vixionDemo());
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(log.contains("login=vixion"));

        // the intake pressure wanders around its idle value
        QVERIFY(selectAndRead(probe, *ecu, 3));
        const int row = rowOf(probe, 3);
        QSet<QString> seen;
        QVERIFY(waitUntil([&] {
            seen.insert(probe.cell(row, 3));
            return seen.size() >= 2;
        }, kCeiling));
        for (const QString &value : seen)
            QVERIFY2(qAbs(value.toInt() - 33) <= 1, qPrintable(value));

        QVERIFY(selectAndRead(probe, *ecu, 61));
        QVERIFY(waitUntil([&] {
            return probe.infoLabel()->text()
                   == "Info: History kode kesalahan\nError pada sensor posisi crankshaft(CKPS)";
        }, kCeiling));
        QVERIFY(selectAndRead(probe, *ecu, 62));
        QCOMPARE(probe.cell(rowOf(probe, 62), 3), QString("2"));
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestAutoDemo)
#include "tst_autodemo.moc"
