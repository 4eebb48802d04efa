// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and connection management of the main window over the cable.
#include "support/logcapture.h"
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include "virtualmain.h"
#include <QtTest>

using sim::VirtualCable;

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    void connectsHalfASecondAfterStart()
    {
        LogCapture log;
        CableClock clock;
        clock.start();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(probe.status().isEmpty());
        QVERIFY(log.waitFor("Connected.", 5000));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 450, qPrintable(QString::number(elapsed)));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QVERIFY(probe.pollTimer()->isActive());
        QCOMPARE(probe.pollTimer()->interval(), 30);
        QVERIFY(log.contains("usbconnect"));
        QVERIFY(VirtualCable::instance().line().dtr);
        QCOMPARE(VirtualCable::instance().line().baud, 15625);
    }

    void retriesEveryThreeSecondsUntilPlugged()
    {
        LogCapture log;
        VirtualCable::instance().unplug();
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(log.waitFor("Not Connect.", 5000));
        QCOMPARE(probe.status(), QString("Not Connect."));
        QVERIFY(log.contains("unable to open device"));
        QVERIFY(!probe.pollTimer()->isActive());
        CableClock clock;
        clock.start();
        log.clear();
        QVERIFY(log.waitFor("Not Connect.", 8000));
        QVERIFY2(clock.elapsed() >= 2500, qPrintable(QString::number(clock.elapsed())));
        VirtualCable::instance().plug();
        QVERIFY(log.waitFor("Connected.", 8000));
        QCOMPARE(probe.status(), QString("Connected-Engine Off"));
        QCOMPARE(probe.pollTimer()->interval(), 30);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
