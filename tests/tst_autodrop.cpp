// SPDX-License-Identifier: GPL-3.0-or-later
// Auto session ends, silences and broken replies over the simulated cable.
#include "support/logcapture.h"
#include "tst_autobench.h"

#include "virtualmain.h"
#include <QGuiApplication>
#include <QtTest>

using namespace autobench;

class TestAutoDrop : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetCable(); }

    void oneFieldReplyEndsTheSessionAndLoginRunsAgain()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 9));
        log.clear();
        ecu->dropOut(1500); // gone for a moment, back without its session
        QVERIFY(waitUntil([&] { return probe.sessionState() == SessionState::None; }, kCeiling));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QVERIFY(log.texts().contains("ca,")); // the reply of the echo alone
        QVERIFY(waitUntil([&] { return probe.autoCycle()->loginStep() == 0; }, kCeiling));
        // while the ECU stays away the engine is not reported on
        bool onWhileAway = false;
        QVERIFY(waitUntil([&] {
            if (!log.contains("login=vixion"))
                onWhileAway |= probe.status() != "Connected-Engine Off";
            return log.contains("login=vixion");
        }, kCeiling));
        QVERIFY(!onWhileAway);
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(probe.rowCodes(), codesOf(sim::AutoEcuConfig::vixion().items));
        QCOMPARE(probe.status(), QString("Connected-Engine On"));
        QCOMPARE(ecu->rejectedLogins(), 0);
    }

    void lostReplyResumesTheScanWithoutDoubleRows()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 20));
        const std::size_t mark = sentCount();
        ecu->muteNext(1); // one answer lost; the ECU itself stays in its session
        QVERIFY(waitUntil([&] { return probe.sessionState() == SessionState::None; }, kCeiling));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(probe.rowCodes(), codesOf(sim::AutoEcuConfig::vixion().items));
        QCOMPARE(countOf(sentSince(mark), kIdentify), 0); // the scan resumed
        QCOMPARE(ecu->currentCode(), 1);
        QCOMPARE(probe.ecuRow(), 0);
        QVERIFY(selectAndRead(probe, *ecu, 9));
        QCOMPARE(probe.cell(rowOf(probe, 9), 3), QString("13.5"));
    }

    void silentEcuShowsEngineOffUntilItAnswers()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(probe.status(), QString("Connected-Engine On"));
        ecu->setSilent(true);
        CableClock clock;
        clock.start();
        QVERIFY(waitUntil([&] { return probe.status() == "Connected-Engine Off"; }, 5000));
        QVERIFY(waitUntil([&] { return probe.autoCycle()->loginStep() == 0; }, kCeiling));
        // and so it stays while the ECU says nothing
        CableClock quiet;
        quiet.start();
        bool stayedOff = true;
        waitUntil([&] {
            stayedOff &= probe.status() == "Connected-Engine Off";
            return quiet.elapsed() > 1500;
        }, 5000);
        QVERIFY(stayedOff);
        QVERIFY(log.count("diag:fe,") >= 3);
        ecu->setSilent(false);
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(probe.status(), QString("Connected-Engine On"));
    }

    void emptyReplyKeepsTheSession()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 6));
        log.clear();
        // Long enough that the re-read finds nothing either: on the chip
        // it ends only when the latency timer runs out, 16 ms later.
        ecu->holdLineAfterNextReply(200);
        bool kept = true;
        auto sessionKept = [&] {
            kept &=
                probe.sessionState() == SessionState::Up && probe.status() == "Connected-Engine On";
            return kept;
        };
        QVERIFY(waitUntil([&] { return !sessionKept() || log.count("") >= 1; }, kCeiling));
        QVERIFY(kept);
        ecu->setRaw(6, 0x78);
        QVERIFY(waitUntil([&] { return !sessionKept() || probe.cell(rowOf(probe, 6), 3) == "90"; },
                          kCeiling));
        QVERIFY(kept);
        QCOMPARE(probe.table()->rowCount(), 24);
    }

    void brokenRepliesKeepTheSession_data()
    {
        QTest::addColumn<int>("replyBytes");
        QTest::addColumn<bool>("garbage");
        QTest::newRow("ca,1c,") << 1 << false;
        QTest::newRow("ca,1c,0,") << 2 << false;
        QTest::newRow("ca,1c,0,0,") << 3 << false;
        QTest::newRow("ca,1c,0,0,2,") << 4 << false;
        QTest::newRow("garbage 8 fields") << -1 << true;
    }

    void brokenRepliesKeepTheSession()
    {
        QFETCH(int, replyBytes);
        QFETCH(bool, garbage);
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 5));
        log.clear();
        ecu->setReplyBytes(replyBytes);
        ecu->setGarbage(garbage);
        QVERIFY(waitUntil([&] { return log.texts().size() >= 10; }, kCeiling));
        QCOMPARE(probe.sessionState(), SessionState::Up);
        QCOMPARE(probe.table()->rowCount(), 24);
        ecu->setReplyBytes(-1);
        ecu->setGarbage(false);
        ecu->setRaw(5, 0x40);
        QVERIFY(waitUntil([&] { return probe.cell(rowOf(probe, 5), 3) == "34"; }, kCeiling));
        QCOMPARE(probe.status(), QString("Connected-Engine On"));
    }

    void cursorsComeBackWhenTheSessionDrops()
    {
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        // a selection under way
        probe.clickRow(rowOf(probe, 87));
        QVERIFY(probe.selectionCursor());
        ecu->setSilent(true);
        QVERIFY(waitUntil([&] { return probe.sessionState() == SessionState::None; }, kCeiling));
        QVERIFY(!probe.selectionCursor());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        ecu->setSilent(false);
        QVERIFY(sessionWithRows(probe, 24));

        // a check under way
        QVERIFY(selectAndRead(probe, *ecu, 50));
        probe.actionButton()->click();
        QVERIFY(waitUntil([&] { return probe.actionStep() >= 3; }, kCeiling));
        ecu->setSilent(true);
        QVERIFY(waitUntil([&] { return probe.sessionState() == SessionState::None; }, kCeiling));
        QVERIFY(!probe.actionCursor());
        QCOMPARE(probe.actionStep(), 0);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        ecu->setSilent(false);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(ecu->actionKeys(50) < 9); // the cut-off check is not resumed
        QCOMPARE(probe.actionStep(), 0);
    }

    void failedWriteShowsNotConnectThenTheSessionComesBack()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        QVERIFY(selectAndRead(probe, *ecu, 11));
        log.clear();
        sim::VirtualCable::instance().failWrites(1);
        QVERIFY(waitUntil([&] { return probe.status() == "Not Connect."; }, kCeiling));
        QCOMPARE(probe.sessionState(), SessionState::None);
        QVERIFY(log.waitFor("Connected.", kCeiling));
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(probe.rowCodes(), codesOf(sim::AutoEcuConfig::vixion().items));
        QCOMPARE(probe.status(), QString("Connected-Engine On"));
        QVERIFY(selectAndRead(probe, *ecu, 11));
        QCOMPARE(probe.cell(rowOf(probe, 11), 3), QString("80"));
    }

    void sessionWithoutTableLogsInAgain()
    {
        LogCapture log;
        auto ecu = seat();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(sessionWithRows(probe, 24));
        log.clear();
        probe.clearTable(); // as the CO window leaves it
        QVERIFY(log.waitFor("login=vixion", kCeiling));
        QVERIFY(sessionWithRows(probe, 24));
        QCOMPARE(probe.rowCodes(), codesOf(sim::AutoEcuConfig::vixion().items));
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestAutoDrop)
#include "tst_autodrop.moc"
