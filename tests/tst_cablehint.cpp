// SPDX-License-Identifier: GPL-3.0-or-later
// The reason beside "Not Connect.": from libftdi1's failure and what the
// system says of the cable to what the window tells the mechanic. Runs on
// both platforms; the Windows rows are what SetupAPI would report.
#include "cablehint.h"

#include <QtTest>

using CableHint::Advice;
using Step = OpenFailure::Step;
using System = CableSighting::System;

Q_DECLARE_METATYPE(OpenFailure)
Q_DECLARE_METATYPE(CableSighting)
Q_DECLARE_METATYPE(CableHint::Advice)

namespace {
OpenFailure openFailed(int code, const char *text)
{
    return {Step::Open, code, QString::fromLatin1(text)};
}
const OpenFailure kNotFound = openFailed(-3, "device not found");
const OpenFailure kOpenFailed = openFailed(-4, "usb_open() failed");
const OpenFailure kClaimFailed =
    openFailed(-5, "unable to claim usb device. Make sure the default FTDI driver is not in use");

CableSighting onWindows(const QString &driver, bool libusbKDll = false,
                        const QStringList &filters = {})
{
    CableSighting s;
    s.system = System::Windows;
    s.looked = s.present = true;
    s.driver = driver;
    s.filters = filters;
    s.driverInstalled = !driver.isEmpty();
    s.libusbKDll = libusbKDll;
    return s;
}

CableSighting onLinux(const QString &driver, bool accessible = true)
{
    CableSighting s;
    s.system = System::Linux;
    s.looked = s.present = true;
    s.driver = driver;
    s.accessible = accessible;
    return s;
}

CableSighting absent(System system)
{
    CableSighting s;
    s.system = system;
    s.looked = true;
    return s;
}

CableSighting notAsked()
{
    return CableSighting();
}
} // namespace

class TestCableHint : public QObject
{
    Q_OBJECT
private slots:
    void advice_data()
    {
        QTest::addColumn<OpenFailure>("failure");
        QTest::addColumn<CableSighting>("sighting");
        QTest::addColumn<Advice>("advice");
        QTest::addColumn<QString>("named"); // what the text must name, if anything

        // Windows. libusb skips a cable without a driver: libftdi1 says "not
        // found" although it is plugged in.
        QTest::newRow("win: no driver, read as not found")
            << kNotFound << onWindows("") << Advice::NoDriver << "WinUSB";
        QTest::newRow("win: the vendor's serial driver")
            << kOpenFailed << onWindows("FTDIBUS") << Advice::WrongDriver << "FTDIBUS";
        QTest::newRow("win: Windows' own serial driver")
            << kOpenFailed << onWindows("usbser", true) << Advice::WrongDriver << "usbser";
        QTest::newRow("win: WinUSB held by another program")
            << kOpenFailed << onWindows("WinUSB") << Advice::Busy << "";
        QTest::newRow("win: WinUSB in another case")
            << kOpenFailed << onWindows("winusb") << Advice::Busy << "";
        // Older software may have bound a libusb-family driver: usable
        // through libusbK.dll, so no driver change is asked for.
        QTest::newRow("win: libusbK with its DLL")
            << kOpenFailed << onWindows("libusbK", true) << Advice::Busy << "";
        QTest::newRow("win: libusb0 filter over the vendor's driver, with the DLL")
            << kOpenFailed << onWindows("FTDIBUS", true, {"libusb0"}) << Advice::Busy << "";
        QTest::newRow("win: libusb0 without libusbK.dll")
            << kOpenFailed << onWindows("libusb0") << Advice::NoLibusbK << "libusb0";
        QTest::newRow("win: libusb0 filter without libusbK.dll")
            << kOpenFailed << onWindows("FTDIBUS", false, {"libusb0"}) << Advice::NoLibusbK
            << "libusb0";
        QTest::newRow("win: driver installed with a problem") << kNotFound << [] {
            CableSighting s = onWindows("WinUSB");
            s.driverInstalled = false;
            return s;
        }() << Advice::NoDriver << "";
        QTest::newRow("win: no cable")
            << kNotFound << absent(System::Windows) << Advice::NoCable << "0433:6066";
        QTest::newRow("win: unplugged between open and lookup")
            << kOpenFailed << absent(System::Windows) << Advice::NoCable << "";

        // Linux.
        QTest::newRow("linux: no cable")
            << kNotFound << absent(System::Linux) << Advice::NoCable << "";
        QTest::newRow("linux: device node closed to us")
            << kOpenFailed << onLinux("", false) << Advice::NoPermission << "";
        QTest::newRow("linux: detach refused for want of permission")
            << openFailed(-8, "inappropriate permissions on device!") << onLinux("ftdi_sio")
            << Advice::NoPermission << "";
        QTest::newRow("linux: claimed by a program")
            << kClaimFailed << onLinux("usbfs") << Advice::Busy << "";
        QTest::newRow("linux: claim refused, no driver seen")
            << kClaimFailed << onLinux("") << Advice::Busy << "";
        QTest::newRow("linux: configuration refused while claimed")
            << openFailed(-3,
                          "unable to set usb configuration. Make sure the default FTDI "
                          "driver is not in use")
            << onLinux("usbfs") << Advice::Busy << "";
        QTest::newRow("linux: the kernel's serial driver holds it")
            << kClaimFailed << onLinux("ftdi_sio") << Advice::KernelDriver << "ftdi_sio";
        QTest::newRow("linux: opened but no answer to the reset")
            << openFailed(-6, "ftdi_usb_reset failed") << onLinux("") << Advice::NotAnswering << "";
        QTest::newRow("linux: readable but still not opened")
            << kOpenFailed << onLinux("") << Advice::Unknown << "-4";

        // The system could not be asked: libftdi1's word alone.
        QTest::newRow("not asked: not found") << kNotFound << notAsked() << Advice::NoCable << "";
        QTest::newRow("not asked: open failed")
            << kOpenFailed << notAsked() << Advice::Unknown << "-4";
        QTest::newRow("no libusb")
            << OpenFailure{Step::Context, 0, QString()} << notAsked() << Advice::NoUsb << "";
        QTest::newRow("8N1 refused")
            << OpenFailure{Step::LineProperty, -1, "Setting new line property failed"}
            << onLinux("") << Advice::LineRefused << "";
    }
    void advice()
    {
        QFETCH(OpenFailure, failure);
        QFETCH(CableSighting, sighting);
        QFETCH(Advice, advice);
        QFETCH(QString, named);
        QCOMPARE(CableHint::advise(failure, sighting), advice);
        const QString text = CableHint::text(advice, failure, sighting);
        QVERIFY2(text.contains(named), qPrintable(text));
    }

    // Every advice has a text, none with a placeholder left, none longer than
    // fits beside "Not Connect." in the window.
    void textsAreComplete()
    {
        const Advice all[] = {Advice::NoUsb,        Advice::NoCable,      Advice::NoDriver,
                              Advice::WrongDriver,  Advice::NoLibusbK,    Advice::Busy,
                              Advice::NoPermission, Advice::KernelDriver, Advice::LineRefused,
                              Advice::NotAnswering, Advice::Unknown};
        for (Advice advice : all) {
            const QString text = CableHint::text(advice, kOpenFailed, onWindows("libusb0"));
            QVERIFY(!text.isEmpty());
            QVERIFY2(!text.contains('%'), qPrintable(text));
            QVERIFY2(text.size() <= 70, qPrintable(text));
        }
    }
};

QTEST_APPLESS_MAIN(TestCableHint)
#include "tst_cablehint.moc"
