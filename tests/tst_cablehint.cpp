// SPDX-License-Identifier: GPL-3.0-or-later
// The reason beside "Not Connect.": from libftdi1's failure and what the
// system says of the cable to what the window tells the mechanic. Runs on
// both platforms; the Windows rows are what SetupAPI would report.
#include "link/cablehint.h"

#include <QtTest>

using CableHint::Advice;
using System = CableSighting::System;

Q_DECLARE_METATYPE(OpenFailure)
Q_DECLARE_METATYPE(CableSighting)
Q_DECLARE_METATYPE(CableHint::Advice)

namespace {
OpenFailure open(int code, const char *text)
{
    return {OpenFailure::Step::Open, code, QString::fromLatin1(text)};
}
const OpenFailure kNotFound = open(-3, "device not found");
const OpenFailure kOpenFailed = open(-4, "usb_open() failed");
const OpenFailure kClaimFailed = open(-5, "unable to claim usb device");

// A cable the system sees, with what is bound to it.
CableSighting seen(System system, const QString &driver, bool libusbKDll = false,
                   const QStringList &filters = {})
{
    CableSighting s;
    s.system = system;
    s.looked = s.present = true;
    s.driver = driver;
    s.filters = filters;
    s.driverInstalled = system == System::Linux || !driver.isEmpty();
    s.libusbKDll = libusbKDll;
    return s;
}

// A cable Device Manager shows with a problem code.
CableSighting withProblem(const QString &driver, int problem)
{
    CableSighting s = seen(System::Windows, driver);
    s.problem = problem;
    return s;
}

CableSighting absent()
{
    CableSighting s;
    s.looked = true;
    return s;
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
        const auto win = System::Windows;
        const auto lin = System::Linux;

        // libusb skips a cable without a driver: libftdi1 says "not found"
        // although it is plugged in.
        QTest::newRow("win: no driver, read as not found")
            << kNotFound << seen(win, "") << Advice::NoDriver << "WinUSB";
        QTest::newRow("win: the cable maker's serial driver")
            << kOpenFailed << seen(win, "FTDIBUS") << Advice::WrongDriver << "FTDIBUS";
        QTest::newRow("win: Windows' own serial driver, libusbK.dll or not")
            << kOpenFailed << seen(win, "usbser", true) << Advice::WrongDriver << "usbser";
        QTest::newRow("win: WinUSB held by another program")
            << kOpenFailed << seen(win, "WINUSB") << Advice::Busy << "";
        // Older software may have bound a libusb-family driver: usable through
        // libusbK.dll, so no driver change is asked for.
        QTest::newRow("win: libusbK with its DLL")
            << kOpenFailed << seen(win, "libusbK", true) << Advice::Busy << "";
        QTest::newRow("win: libusb0 filter over the vendor's driver, with the DLL")
            << kOpenFailed << seen(win, "FTDIBUS", true, {"libusb0"}) << Advice::Busy << "";
        QTest::newRow("win: libusb0 without libusbK.dll")
            << kOpenFailed << seen(win, "libusb0") << Advice::NoLibusbK << "libusb0";
        QTest::newRow("win: no cable") << kNotFound << absent() << Advice::NoCable << "0433:6066";
        // Device Manager's problem codes. libusb 1.0.28 skips a device no
        // driver has configured: libftdi1 reads "not found" for all of these.
        QTest::newRow("win: disabled in Device Manager (22)")
            << kNotFound << withProblem("WINUSB", 22) << Advice::Disabled << "Device Manager";
        QTest::newRow("win: driver failed to start (10)")
            << kNotFound << withProblem("WINUSB", 10) << Advice::NotStarted << "10";
        QTest::newRow("win: driver blocked, unsigned (52)")
            << kNotFound << withProblem("libusb0", 52) << Advice::BlockedDriver << "52";
        QTest::newRow("win: failed install (28), listed by libusb 1.0.26")
            << kOpenFailed << withProblem("", 28) << Advice::NoDriver << "WinUSB";
        QTest::newRow("win: another problem code (24)")
            << kNotFound << withProblem("FTDIBUS", 24) << Advice::Problem << "24";
        // Two cables: libftdi1 tries the first libusb lists, one with a
        // working driver; a driverless one before it is not listed.
        QTest::newRow("win: two cables, the first on the vendor's driver")
            << kOpenFailed << CableSighting::chosen({seen(win, "FTDIBUS"), seen(win, "WINUSB")})
            << Advice::WrongDriver << "2 kabel terpasang: Kabel memakai driver FTDIBUS";
        QTest::newRow("win: two cables, a driverless one first, WinUSB held")
            << kOpenFailed << CableSighting::chosen({withProblem("", 28), seen(win, "WINUSB")})
            << Advice::Busy << "2 kabel terpasang: Kabel sedang dipakai";
        QTest::newRow("win: three cables, none with a driver")
            << kNotFound
            << CableSighting::chosen({withProblem("", 28), withProblem("", 22), withProblem("", 1)})
            << Advice::NoDriver << "3 kabel terpasang: Kabel belum punya driver";

        QTest::newRow("linux: device node closed to us") << kOpenFailed << [&] {
            CableSighting s = seen(lin, "");
            s.accessible = false;
            return s;
        }() << Advice::NoPermission << "";
        QTest::newRow("linux: detach refused for want of permission")
            << open(-8, "inappropriate permissions on device!") << seen(lin, "ftdi_sio")
            << Advice::NoPermission << "";
        QTest::newRow("linux: claimed by a program")
            << kClaimFailed << seen(lin, "usbfs") << Advice::Busy << "";
        QTest::newRow("linux: configuration refused while claimed")
            << open(-3, "unable to set usb configuration") << seen(lin, "usbfs") << Advice::Busy
            << "";
        QTest::newRow("linux: the kernel's serial driver holds it")
            << kClaimFailed << seen(lin, "ftdi_sio") << Advice::KernelDriver << "ftdi_sio";
        QTest::newRow("linux: no answer to the reset")
            << open(-6, "ftdi_usb_reset failed") << seen(lin, "") << Advice::NotAnswering << "";
        QTest::newRow("linux: readable but not opened")
            << kOpenFailed << seen(lin, "") << Advice::Unknown << "-4";
        // The system could not be asked: libftdi1's word alone.
        QTest::newRow("not asked: not found")
            << kNotFound << CableSighting() << Advice::NoCable << "";
        QTest::newRow("8N1 refused")
            << OpenFailure{OpenFailure::Step::LineProperty, -1, "Setting new line property failed"}
            << seen(lin, "") << Advice::LineRefused << "";
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

    // Every advice has a text, with no placeholder left, short enough to fit
    // beside "Not Connect." in the window.
    void textsAreComplete()
    {
        for (int a = int(Advice::NoUsb); a <= int(Advice::Unknown); ++a) {
            const QString text =
                CableHint::text(Advice(a), kOpenFailed, seen(System::Windows, "libusb0"));
            QVERIFY(!text.isEmpty());
            QVERIFY2(!text.contains('%') && text.size() <= 70, qPrintable(text));
        }
    }
};

QTEST_APPLESS_MAIN(TestCableHint)
#include "tst_cablehint.moc"
