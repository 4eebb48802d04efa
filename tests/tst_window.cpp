// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's connection management, close handling, waits and the
// routing of the poll timer, over the simulated cable with real timing.
#include "support/logcapture.h"
#include "support/mainwindowprobe.h"
#include "support/receivercount.h"
#include "support/simsupport.h"

#include "link/usbserial.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QtTest>

using sim::VirtualCable;

namespace {
const char *const kTimeout = SIGNAL(timeout());

bool closeWindow(MainWindow &window)
{
    QCloseEvent event;
    QCoreApplication::sendEvent(&window, &event);
    return event.isAccepted();
}

void failOneWrite(MainWindowProbe &probe)
{
    unsigned char byte = 0xFE;
    probe.link()->writeDataHex(&byte);
}
} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void startsIdle()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(probe.status().isEmpty());
        QVERIFY(!probe.pollTimer()->isActive());
        QVERIFY(!probe.link()->isConnected());
        QVERIFY(probe.running());
        QCOMPARE(probe.sessionState(), SessionState::None);
        QCOMPARE(probe.rpm(), 0);
        QCOMPARE(probe.selectedRow(), 0);
        QVERIFY(!probe.selectionPending());
        QCOMPARE(probe.rowCodes().size(), 0);
        QVERIFY(probe.vehicleType().isEmpty());
    }

    void connectingRaisesDtrAndStartsTheTimer()
    {
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", 20000));
        QCOMPARE(log.texts(), (QStringList{"usbconnect", "Connected."}));
        QVERIFY(log.lines().value(1).file.contains("sessionengine"));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QVERIFY(probe.link()->isConnected());
        QCOMPARE(cable.dtrEdges().size(), std::size_t(1));
        QVERIFY(cable.dtrEdges()[0].level);
        QVERIFY(probe.pollTimer()->isActive());
        QCOMPARE(probe.pollTimer()->interval(), 30);
        // Coarse, Windows would run it on its 15.6 ms tick: every 31.25 ms.
        QCOMPARE(probe.pollTimer()->timerType(), Qt::PreciseTimer);
    }

    void writeErrorDropsTheSessionAndReallyReconnects()
    {
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        const int contexts = cable.contextsAlive();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", 20000));
        probe.pollTimer()->stop(); // the test writes, not a protocol tick
        probe.setSessionState(SessionState::Up);
        probe.setReading(1450, 7);
        probe.appendItemRow(1);
        log.clear();
        cable.failWrites(1);
        QElapsedTimer clock;
        clock.start();
        failOneWrite(probe);
        QCOMPARE(probe.status(), QString("Not Connect."));
        QCOMPARE(probe.sessionState(), SessionState::None);
        QCOMPARE(probe.rpm(), 0);
        QCOMPARE(probe.coValue(), 0);
        QVERIFY(!probe.pollTimer()->isActive());
        QCOMPARE(probe.table()->rowCount(), 1); // the table stays
        QCOMPARE(probe.rowCodes(), QList<int>{1});

        QVERIFY(log.waitFor("Connected.", 20000));
        QVERIFY2(clock.elapsed() >= 400, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(log.texts(), (QStringList{"usbconnect", "Connected."}));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QVERIFY(probe.pollTimer()->isActive());
        QCOMPARE(probe.pollTimer()->interval(), 30);
        QCOMPARE(cable.contextsAlive(), contexts + 1);
        QCOMPARE(cable.openHandles(), 1);
        QCOMPARE(cable.line().baud, 15625);
        QVERIFY(cable.line().dtr);
    }

    void writeErrorWhileUnpluggedKeepsRetrying()
    {
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", 20000));
        probe.pollTimer()->stop();
        cable.unplug();
        log.clear();
        failOneWrite(probe);
        QCOMPARE(probe.status(), QString("Not Connect."));
        QVERIFY(log.waitFor("Not Connect.", 20000));
        QVERIFY(log.contains("unable to open device"));
        QVERIFY(!probe.pollTimer()->isActive());
        cable.plug();
        log.clear();
        QVERIFY(log.waitFor("Connected.", 20000));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
    }

    // One attempt is due at a time: a second round would reopen the link
    // under a session that the first one has started again.
    void severalFailedBytesBringOneReconnect()
    {
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        const int contexts = cable.contextsAlive();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", 20000));
        probe.pollTimer()->stop();
        log.clear();
        cable.failWrites(3);
        probe.link()->writeDataStr("0x81,0x10,0xF0");
        QVERIFY(log.waitFor("Connected.", 20000));
        QTest::qWait(1500);
        QCOMPARE(log.count("Connected."), 1);
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QVERIFY(probe.pollTimer()->isActive());
        QCOMPARE(cable.contextsAlive(), contexts + 1);
    }

    void closingWhileConnected()
    {
        VirtualCable &cable = VirtualCable::instance();
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Connected.", 20000));
        log.clear();
        QVERIFY(closeWindow(window));
        QCOMPARE(log.texts(), QStringList{"Disconnected"});
        QVERIFY(!probe.pollTimer()->isActive());
        QVERIFY(!probe.running());
        QVERIFY(cable.held()); // the adapter is left open
        QVERIFY(probe.link()->isConnected());
        // a write error after the close no longer reaches the window
        const QString status = probe.status();
        cable.failWrites(1);
        failOneWrite(probe);
        QCOMPARE(probe.status(), status);
        QVERIFY(!waitUntil([&] { return log.contains("usbconnect"); }, 1200));
    }

    void closingWhileNotConnected()
    {
        VirtualCable::instance().unplug();
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Not Connect.", 20000));
        log.clear();
        QVERIFY(closeWindow(window));
        QVERIFY(log.texts().isEmpty());
        QVERIFY(!probe.pollTimer()->isActive());
        QVERIFY(!probe.running());
    }

    // Closed, the window's poll timer drives nothing any more, whatever
    // the type.
    void closingDisconnectsThePollTimer()
    {
        VirtualCable::instance().unplug();
        MainWindow window;
        MainWindowProbe probe(window);
        probe.typeBox()->setCurrentIndex(1); // Xmax
        QVERIFY(closeWindow(window));
        QCOMPARE(ReceiverCount::of(probe.pollTimer(), kTimeout), 0);
    }

    // The type box moves the one connection of the poll timer to the
    // family's cycle, however often it changes.
    void exactlyOneTimerConnection_data()
    {
        QTest::addColumn<QList<int>>("indexes");
        QTest::addColumn<int>("kind");
        QTest::newRow("start") << QList<int>{} << int(Cycle::Kind::Auto);
        QTest::newRow("Auto-Xmax") << QList<int>{1} << int(Cycle::Kind::Kwp);
        QTest::newRow("Auto-Xmax-Auto") << QList<int>{1, 0} << int(Cycle::Kind::Auto);
        QTest::newRow("Auto-Xmax-Auto-Xmax-Auto")
            << QList<int>{1, 0, 1, 0} << int(Cycle::Kind::Auto);
    }
    void exactlyOneTimerConnection()
    {
        QFETCH(QList<int>, indexes);
        QFETCH(int, kind);
        VirtualCable::instance().unplug(); // no ticks while we look
        MainWindow window;
        MainWindowProbe probe(window);
        for (int index : indexes)
            probe.typeBox()->setCurrentIndex(index);
        QCOMPARE(ReceiverCount::of(probe.pollTimer(), kTimeout), 1);
        QCOMPARE(int(probe.cycle()->kind()), kind);
        QCOMPARE(probe.vehicleType(), indexes.isEmpty() ? QString()
                                      : indexes.last()  ? QString("xmax")
                                                        : QString("auto"));
    }

    void delayKeepsEventsRunning()
    {
        VirtualCable::instance().unplug();
        MainWindow window;
        MainWindowProbe probe(window);
        bool fired = false;
        QTimer::singleShot(5, [&] { fired = true; });
        QElapsedTimer clock;
        clock.start();
        probe.delay(40);
        QVERIFY2(clock.elapsed() >= 35, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(fired);
        bool queued = false;
        QMetaObject::invokeMethod(&window, [&] { queued = true; }, Qt::QueuedConnection);
        probe.delay(0); // still one pass of a local loop
        QVERIFY(queued);
    }

    void delayLoginBusyWaits_data()
    {
        QTest::addColumn<int>("ms");
        QTest::newRow("-5") << -5;
        QTest::newRow("0") << 0;
        QTest::newRow("20") << 20;
        QTest::newRow("25") << 25;
    }
    void delayLoginBusyWaits()
    {
        QFETCH(int, ms);
        VirtualCable::instance().unplug();
        MainWindow window;
        MainWindowProbe probe(window);
        bool queued = false;
        QMetaObject::invokeMethod(&window, [&] { queued = true; }, Qt::QueuedConnection);
        QElapsedTimer clock;
        clock.start();
        probe.delayLogin(ms);
        const qint64 elapsedNs = clock.nsecsElapsed();
        QVERIFY2(elapsedNs >= qint64(qMax(ms, 0)) * 1000000,
                 qPrintable(QString::number(elapsedNs)));
        if (ms <= 0)
            QVERIFY2(elapsedNs < 50000000, qPrintable(QString::number(elapsedNs)));
        QVERIFY(!queued); // no events during the busy wait
        QCoreApplication::processEvents();
        QVERIFY(queued);
    }

    void waitsReturnAtOnceAfterClose_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::newRow("delay(2000)") << false;
        QTest::newRow("delay_login(2000)") << true;
    }
    void waitsReturnAtOnceAfterClose()
    {
        QFETCH(bool, busy);
        VirtualCable::instance().unplug();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(closeWindow(window));
        QElapsedTimer clock;
        clock.start();
        if (busy)
            probe.delayLogin(2000);
        else
            probe.delay(2000);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

    void delayInProgressEndsNormallyAfterClose()
    {
        VirtualCable::instance().unplug();
        MainWindow window;
        MainWindowProbe probe(window);
        QTimer::singleShot(10, &window, [&] { closeWindow(window); });
        QElapsedTimer clock;
        clock.start();
        probe.delay(150);
        QVERIFY2(clock.elapsed() >= 140, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!probe.running());
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
