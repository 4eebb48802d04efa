// SPDX-License-Identifier: GPL-3.0-or-later
// The unmodified tavrix binary (real libftdi1, real libusb-1.0) against the
// emulated adapter on a virtual USB bus: what its log shows.
#include "hostrun.h"

#include <QtTest>

namespace {
// Shell: wait (30 s at most) until the first program's log in $log has a
// line matching the pattern.
QString waitForLine(const QString &pattern)
{
    return QString(
               "n=0; until grep -q '%1' \"$log\" || [ $n -ge 300 ]; do sleep 0.1; "
               "n=$((n+1)); done")
        .arg(pattern);
}
} // namespace

class TestUsbBike : public QObject
{
    Q_OBJECT
private slots:
    void connectsToThePluggedAdapter()
    {
        const HostRun run = runTavrixUnderHost({"--end-on", "Connected.", "--run-for", "30"});
        QVERIFY(run.finished);
        QCOMPARE(run.exitCode, 0);
        const int opened = run.indexOf("usbconnect");
        QVERIFY2(opened >= 0, qPrintable(run.outline()));
        QVERIFY(run.indexOf("Connected.", opened) > opened);
        QCOMPARE(run.count("Not Connect."), 0);
        // What the chip was told: 15630 baud, 8N1, then DTR high.
        const QStringList requests = run.traceOf("request");
        QVERIFY(requests.indexOf(
                    QRegularExpression("^request 0x03 value 0x00c0 index 0x0000 at \\d+ ok$"))
                >= 0);
        QVERIFY(requests.indexOf(
                    QRegularExpression("^request 0x04 value 0x0008 index 0x0001 at \\d+ ok$"))
                >= 0);
        QVERIFY(run.traceOf("dtr").value(0).startsWith("dtr 1 "));
    }

    void withoutAdapterListsAndRetries()
    {
        const HostRun run =
            runTavrixUnderHost({"--no-device", "--end-on", "2:Not Connect.", "--run-for", "30"});
        QVERIFY(run.finished);
        QVERIFY2(run.count("Not Connect.") >= 2, qPrintable(run.outline()));
        QVERIFY(run.count("unable to open device") >= 2);
        QVERIFY(run.anyStartsWith("Number of devices found: 0"));
        QCOMPARE(run.count("usbconnect"), 0);
        QVERIFY(run.trace.isEmpty());
    }

    void connectsOncePluggedIn()
    {
        const HostRun run = runTavrixUnderHost({"--no-device", "--plug-on", "Not Connect.",
                                                "--end-on", "Connected.", "--run-for", "30"});
        QVERIFY(run.finished);
        const int failed = run.indexOf("Not Connect.");
        QVERIFY2(failed >= 0, qPrintable(run.outline()));
        QVERIFY(run.indexOf("usbconnect", failed) > failed);
        QVERIFY(run.indexOf("Connected.", failed) > failed);
    }

    void refusedLinePropertyKeepsRetrying()
    {
        const HostRun run = runTavrixUnderHost(
            {"--refuse-line-property", "--end-on", "2:Not Connect.", "--run-for", "30"});
        QVERIFY(run.finished);
        QVERIFY2(run.count("unable to set line parameters") >= 2, qPrintable(run.outline()));
        QVERIFY(run.count("Not Connect.") >= 2);
        QCOMPARE(run.count("Connected."), 0);
        QVERIFY(run.traceOf("request").filter(QRegularExpression("^request 0x04 .* stall$")).size()
                >= 2);
    }

    void killedProgramLeavesTheAdapterFree()
    {
        // The first tavrix dies holding the interface; the next one gets it
        // at its first attempt, as the kernel frees it when a program dies.
        const HostRun run = runShellUnderHost(
            {"--end-on", "2:Connected.", "--run-for", "40"},
            QString("log=$(mktemp); \"$TAVRIX\" >\"$log\" 2>&1 & first=$!; %1; "
                    "kill -KILL $first; wait $first; cat \"$log\"; rm -f \"$log\"; "
                    "exec \"$TAVRIX\"")
                .arg(waitForLine("^Connected\\.$")));
        QVERIFY(run.finished);
        QVERIFY2(run.count("Connected.") == 2, qPrintable(run.outline()));
        QVERIFY2(run.count("unable to open device") == 0, qPrintable(run.outline()));
        QCOMPARE(run.count("usbconnect"), 2);
        QCOMPARE(run.exitCode, 0); // the host outlived the killed program too
    }

    void secondStartLeavesTheCableToTheFirst()
    {
        // The second start knocks and exits at once, without touching the
        // adapter; the first one comes to the front and keeps its session.
        const HostRun run = runShellUnderHost(
            {"--run-for", "40"},
            QString("log=$(mktemp); \"$TAVRIX\" >\"$log\" 2>&1 & first=$!; %1; "
                    "\"$TAVRIX\"; echo \"second start exited $?\"; %2; "
                    "kill $first; wait $first; cat \"$log\"; rm -f \"$log\"")
                .arg(waitForLine("^Connected\\.$"), waitForLine("window brought to the front")));
        QVERIFY(run.finished);
        const int second = run.indexOf("Tavrix is already running: its window comes to the front");
        QVERIFY2(second >= 0, qPrintable(run.outline()));
        QVERIFY(run.indexOf("second start exited 0", second) > second);
        QVERIFY(run.indexOf("second start: window brought to the front") >= 0);
        QCOMPARE(run.count("usbconnect"), 1);
        QCOMPARE(run.count("Not Connect."), 0);
    }

    void unplugDropsTheSessionAndReplugRestoresIt()
    {
        const HostRun run =
            runTavrixUnderHost({"--ecu", "identify", "--unplug-on", "login=vixion", "--replug-on",
                                "Not Connect.", "--end-on", "2:Connected.", "--run-for", "40"});
        QVERIFY(run.finished);
        if (run.traceOf("tx").isEmpty())
            QSKIP(
                "tavrix writes nothing while connected (empty poll cycle): an unplug goes unnoticed");
        const int connected = run.indexOf("Connected.");
        QVERIFY2(connected >= 0, qPrintable(run.outline()));
        const int lost = run.indexOf("Not Connect.", connected);
        QVERIFY2(lost > connected, qPrintable(run.outline()));
        QVERIFY(run.indexOf("Connected.", lost) > lost);
    }
};

QTEST_GUILESS_MAIN(TestUsbBike)
#include "tst_usbbike.moc"
