// SPDX-License-Identifier: GPL-3.0-or-later
// The unmodified tavrix against the emulated adapter with the Auto ECU
// behind it: login and the full table scan, as its log shows them. Built
// only where the Auto ECU model exists (sim/autoecu.h).
#include "hostrun.h"

#include <QtTest>

class TestUsbAutoSession : public QObject
{
    Q_OBJECT
private slots:
    void logsInAndScansTheTable()
    {
        const HostRun run =
            runTavrixUnderHost({"--ecu", "auto", "--end-on", "2:code 1 1", "--run-for", "40"});
        QVERIFY(run.finished);
        const QString all = run.log.join('\n');
        const int connected = run.indexOf("Connected.");
        QVERIFY2(connected >= 0, qPrintable(all));
        int model = -1;
        for (int i = connected; i < run.log.size() && model < 0; ++i) {
            const QString line = run.log.value(i);
            if (line.startsWith("login=") && line != "login=error" && line != "login=ce")
                model = i;
        }
        QVERIFY2(model > connected, qPrintable(all));
        const int acknowledged = run.indexOf("login=ce", model);
        QVERIFY2(acknowledged > model, qPrintable(all));
        const int firstRow = run.indexOf("table  add", acknowledged);
        QVERIFY2(firstRow > acknowledged, qPrintable(all));
        // The scan is complete when item 1 has come round the second time.
        const int firstPass = run.indexOf("code 1 1", firstRow);
        QVERIFY2(firstPass > 0 && run.indexOf("code 1 1", firstPass + 1) > firstPass,
                 qPrintable(all));
        QCOMPARE(run.count("Not Connect."), 0);
        QVERIFY(!run.traceOf("tx").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUsbAutoSession)
#include "tst_usbautosession.moc"
