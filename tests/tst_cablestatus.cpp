// SPDX-License-Identifier: GPL-3.0-or-later
// The reason beside "Not Connect." in the window: shown after each failed
// open, gone once the cable opens, asked for only when an open fails.
#include "support/logcapture.h"
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include "link/cablehint.h"

#include "virtualmain.h"
#include <QtTest>

using CableHint::Advice;
using sim::VirtualCable;

class TestCableStatus : public QObject
{
    Q_OBJECT
private slots:
    void init() { VirtualCable::instance().reset(); }

    // Each reason's text end to end is tst_usbcablehint's (over the real
    // libusb); here the label: shown after the failed open, gone once open.
    void reasonBesideNotConnect()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.refuseOpen(VirtualCable::Refusal::Busy);
        LogCapture log;
        MainWindow window;
        MainWindowProbe probe(window);
        auto *hint = window.findChild<QLabel *>("label_cable");
        QVERIFY(!hint->isVisibleTo(&window));
        QVERIFY(log.waitFor("Not Connect."));
        // The status text stays the one it always was; the reason is beside it.
        QCOMPARE(probe.status(), QString("Not Connect."));
        QCOMPARE(hint->text(), CableHint::text(Advice::Busy, OpenFailure(), CableSighting()));
        QVERIFY(hint->isVisibleTo(&window));

        cable.refuseOpen(VirtualCable::Refusal::None);
        QVERIFY(log.waitFor("Connected."));
        QVERIFY(hint->text().isEmpty() && !hint->isVisibleTo(&window));
    }

    // The system is asked once per failed open, never while the cable works.
    void lookupOnlyAfterAFailedOpen()
    {
        VirtualCable &cable = VirtualCable::instance();
        cable.unplug();
        const int before = cable.lookups();
        LogCapture log;
        MainWindow window;
        QVERIFY(log.waitFor("Not Connect."));
        runFor(6500); // two more attempts, at 3 s and 6 s
        QCOMPARE(log.count("Not Connect."), 3);
        QCOMPARE(cable.lookups() - before, 3);
        cable.plug();
        QVERIFY(log.waitFor("Connected."));
        const int connectedAt = cable.lookups();
        runFor(10000);
        QCOMPARE(cable.lookups(), connectedAt);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestCableStatus)
#include "tst_cablestatus.moc"
