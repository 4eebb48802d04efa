// SPDX-License-Identifier: GPL-3.0-or-later
// The reason beside "Not Connect." with the real libftdi1 and libusb against
// the emulated adapter: what the unmodified tavrix logs with it (the window
// shows the same hint) when the cable is absent, held by another program,
// or closed to the user.
#include "hostrun.h"

#include "link/cablehint.h"

#include <QtTest>

using CableHint::Advice;
Q_DECLARE_METATYPE(CableHint::Advice)

class TestUsbCableHint : public QObject
{
    Q_OBJECT
private slots:
    void hintForEachFailure_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("libftdi");
        QTest::addColumn<QString>("seen"); // what sysfs showed
        QTest::addColumn<Advice>("advice");
        QTest::newRow("absent") << QStringList{"--no-device"}
                                << "ftdi_usb_open: -3 (device not found)"
                                << "cable: the system could not be asked" << Advice::NoCable;
        QTest::newRow("busy") << QStringList{"--busy"} << "ftdi_usb_open: -5 (unable to claim"
                              << "cable: device 0433:6066 present, driver none;" << Advice::Busy;
        QTest::newRow("no permission")
            << QStringList{"--no-permission"} << "ftdi_usb_open: -4 (usb_open() failed)"
            << "cable: device 0433:6066 present, driver none, device node not readable and "
               "writable;"
            << Advice::NoPermission;
    }
    void hintForEachFailure()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, libftdi);
        QFETCH(QString, seen);
        QFETCH(Advice, advice);
        const HostRun run = runTavrixUnderHost(QStringList(options) << "--end-on"
                                                                    << "2:Not Connect."
                                                                    << "--run-for" << "30");
        QVERIFY(run.finished);
        QVERIFY2(run.anyStartsWith(libftdi), qPrintable(run.outline()));
        const QString hint = "; hint: " + CableHint::text(advice, OpenFailure(), CableSighting());
        const QStringList lines = run.log.filter(QRegularExpression("^cable: "));
        QVERIFY2(!lines.isEmpty(), qPrintable(run.outline()));
        for (const QString &line : lines)
            QVERIFY2(line.startsWith(seen) && line.endsWith(hint), qPrintable(line));
        QCOMPARE(run.count("usbconnect"), 0);
    }
};

QTEST_GUILESS_MAIN(TestUsbCableHint)
#include "tst_usbcablehint.moc"
