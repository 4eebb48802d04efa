// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/cablehint.h"

#include <QDebug>

namespace CableHint {

namespace {
using Step = OpenFailure::Step;
using System = CableSighting::System;

// Drivers by what libusb can do with a device bound to them. On Windows
// libusb opens only WinUSB, and libusbK and libusb0 through libusbK.dll
// (windows_winusb.c, winusbx_driver_names); everything else it lists but
// cannot open, or skips when no driver is installed. On Linux it opens any
// device through usbfs and detaches a kernel driver first.
enum class Driver { None, WinUsb, LibusbFamily, Usbfs, KernelSerial, Other };

const struct {
    const char *name;
    Driver kind;
} kDrivers[] = {
    {"WinUSB", Driver::WinUsb},         {"libusbK", Driver::LibusbFamily},
    {"libusb0", Driver::LibusbFamily},  {"usbfs", Driver::Usbfs},
    {"ftdi_sio", Driver::KernelSerial},
};

Driver kindOf(const QString &name)
{
    if (name.isEmpty())
        return Driver::None;
    for (const auto &d : kDrivers) {
        if (name.compare(QLatin1String(d.name), Qt::CaseInsensitive) == 0)
            return d.kind;
    }
    return Driver::Other;
}

// libftdi1's codes of ftdi_usb_open (ftdi.c): -3 is both "device not found"
// and "unable to set usb configuration". -4 is the first device with the ids
// that libusb lists but cannot open (a driver it cannot use: libusb 1.0.26
// also listed a cable with no driver yet; 1.0.27 and later skip it, as any
// device no driver has configured, and libftdi1 says -3).
constexpr int kNotFoundOrConfig = -3;
constexpr int kOpenFailed = -4;
constexpr int kClaimFailed = -5;
constexpr int kResetFailed = -6;
constexpr int kBaudFailed = -7;
constexpr int kPermissions = -8;

// Device Manager's problem codes (cfg.h, CM_PROB_*) by what the mechanic
// can do about them; any other code gets Advice::Problem.
const struct {
    int code;
    Advice advice;
} kProblems[] = {
    {1, Advice::NoDriver},       // not configured
    {18, Advice::NoDriver},      // to be reinstalled
    {28, Advice::NoDriver},      // its driver's installation failed
    {39, Advice::NoDriver},      // its driver could not be loaded (missing, damaged)
    {22, Advice::Disabled},      // disabled by the user
    {29, Advice::Disabled},      // disabled by the firmware
    {10, Advice::NotStarted},    // failed to start
    {31, Advice::NotStarted},    // its driver could not be added
    {43, Advice::NotStarted},    // stopped after it reported problems
    {48, Advice::BlockedDriver}, // its driver is blocked
    {52, Advice::BlockedDriver}, // its driver's signature is refused
};

Advice problemAdvice(int code)
{
    for (const auto &p : kProblems) {
        if (p.code == code)
            return p.advice;
    }
    return Advice::Problem;
}

// The facts a rule looks at.
struct Facts {
    const OpenFailure &failure;
    const CableSighting &sighting;
    Driver driver;

    bool open(int code) const { return failure.step == Step::Open && failure.code == code; }
    bool notFound() const
    {
        return open(kNotFoundOrConfig) && failure.text.contains(QLatin1String("not found"));
    }
    bool claimRefused() const
    {
        return open(kClaimFailed) || (open(kNotFoundOrConfig) && !notFound());
    }
    bool on(System system) const
    {
        return sighting.looked && sighting.present && sighting.system == system;
    }
    // What the device's problem code asks for; Unknown when it has none.
    Advice problem() const
    {
        if (!on(System::Windows) || sighting.problem == 0)
            return Advice::Unknown;
        return problemAdvice(sighting.problem);
    }
    // The name of a libusb-family driver bound to the device, as its
    // service or as a filter driver above or below it; empty when none.
    QString libusbFamily() const
    {
        if (driver == Driver::LibusbFamily)
            return sighting.driver;
        for (const QString &filter : sighting.filters) {
            if (kindOf(filter) == Driver::LibusbFamily)
                return filter;
        }
        return QString();
    }
    // Whether libusb on Windows can open the device through what is bound.
    bool windowsUsable() const
    {
        return driver == Driver::WinUsb || (!libusbFamily().isEmpty() && sighting.libusbKDll);
    }
};

// First match wins.
const struct {
    Advice advice;
    bool (*matches)(const Facts &);
} kRules[] = {
    {Advice::NoUsb, [](const Facts &f) { return f.failure.step == Step::Context; }},
    {Advice::LineRefused, [](const Facts &f) { return f.failure.step == Step::LineProperty; }},
    {Advice::NoCable, [](const Facts &f) { return f.sighting.looked && !f.sighting.present; }},
    {Advice::NoCable, [](const Facts &f) { return !f.sighting.looked && f.notFound(); }},
    // Windows: the device's own state decides before libftdi's code, which
    // reads "device not found" for a cable libusb skipped.
    {Advice::NoDriver, [](const Facts &f) { return f.problem() == Advice::NoDriver; }},
    {Advice::Disabled, [](const Facts &f) { return f.problem() == Advice::Disabled; }},
    {Advice::NotStarted, [](const Facts &f) { return f.problem() == Advice::NotStarted; }},
    {Advice::BlockedDriver, [](const Facts &f) { return f.problem() == Advice::BlockedDriver; }},
    {Advice::Problem, [](const Facts &f) { return f.problem() == Advice::Problem; }},
    {Advice::NoDriver,
     [](const Facts &f) { return f.on(System::Windows) && !f.sighting.driverInstalled; }},
    {Advice::NoLibusbK,
     [](const Facts &f) {
    return f.on(System::Windows) && !f.libusbFamily().isEmpty() && !f.sighting.libusbKDll;
}},
    {Advice::WrongDriver,
     [](const Facts &f) { return f.on(System::Windows) && !f.windowsUsable(); }},
    // A usable driver that would not open: WinUSB lets one program in at a time.
    {Advice::Busy,
     [](const Facts &f) {
    return f.on(System::Windows) && (f.open(kOpenFailed) || f.claimRefused());
}},
    {Advice::NoPermission,
     [](const Facts &f) {
    return f.on(System::Linux) && (!f.sighting.accessible || f.open(kPermissions));
}},
    {Advice::KernelDriver,
     [](const Facts &f) {
    return f.on(System::Linux) && f.claimRefused() && f.driver == Driver::KernelSerial;
}},
    {Advice::Busy, [](const Facts &f) { return f.on(System::Linux) && f.claimRefused(); }},
    {Advice::NotAnswering,
     [](const Facts &f) { return f.open(kResetFailed) || f.open(kBaudFailed); }},
};

const struct {
    Advice advice;
    const char *text; // %1: the driver's name, libftdi1's code or the problem code
} kTexts[] = {
    {Advice::NoUsb, "USB tidak bisa dipakai: tutup program lalu jalankan lagi."},
    {Advice::NoCable, "Kabel 0433:6066 tidak terdeteksi: colokkan kabel ke port USB."},
    {Advice::NoDriver, "Kabel belum punya driver: pasang WinUSB, lihat Panduan kabel."},
    {Advice::Disabled, "Kabel dinonaktifkan di Windows: aktifkan di Device Manager."},
    {Advice::NotStarted, "Windows gagal menjalankan kabel (kode %1): cabut dan colok lagi."},
    {Advice::BlockedDriver, "Windows menolak driver kabel (kode %1): lihat Panduan kabel."},
    {Advice::Problem, "Windows melaporkan masalah kabel (kode %1): lihat Device Manager."},
    {Advice::WrongDriver, "Kabel memakai driver %1, bukan WinUSB: lihat Panduan kabel."},
    {Advice::NoLibusbK, "Driver %1 butuh libusbK.dll yang tidak ada: lihat Panduan kabel."},
    {Advice::Busy, "Kabel sedang dipakai program lain: tutup program itu."},
    {Advice::NoPermission, "Tidak ada izin: cabut dan colok lagi kabel, login di PC ini."},
    {Advice::KernelDriver, "Driver ftdi_sio menahan kabel: cabut dan colok lagi kabel."},
    {Advice::LineRefused, "Kabel menolak pengaturan: cabut dan colok lagi kabel."},
    {Advice::NotAnswering, "Kabel tidak menjawab: cabut dan colok lagi kabel."},
    {Advice::Unknown, "Kabel tidak bisa dibuka (kode %1): cabut dan colok lagi kabel."},
};
const char kSeveral[] = "%1 kabel terpasang: ";
} // namespace

Advice advise(const OpenFailure &failure, const CableSighting &sighting)
{
    const Facts facts{failure, sighting, kindOf(sighting.driver)};
    for (const auto &rule : kRules) {
        if (rule.matches(facts))
            return rule.advice;
    }
    return Advice::Unknown;
}

QString text(Advice advice, const OpenFailure &failure, const CableSighting &sighting)
{
    const Facts facts{failure, sighting, kindOf(sighting.driver)};
    for (const auto &entry : kTexts) {
        if (entry.advice != advice)
            continue;
        QString message = QString::fromUtf8(entry.text);
        switch (advice) {
        case Advice::Unknown: message = message.arg(failure.code); break;
        case Advice::WrongDriver: message = message.arg(sighting.driver); break;
        case Advice::NoLibusbK: message = message.arg(facts.libusbFamily()); break;
        case Advice::NotStarted:
        case Advice::BlockedDriver:
        case Advice::Problem: message = message.arg(sighting.problem); break;
        default: break;
        }
        // Several cables: the hint is about the one that counts (see
        // CableSighting::chosen); unplugging the others rules them out.
        if (sighting.present && sighting.count > 1)
            message = QString::fromUtf8(kSeveral).arg(sighting.count) + message;
        return message;
    }
    return QString();
}

QString explain(const OpenFailure &failure, const CableSighting &sighting)
{
    const QString hint = text(advise(failure, sighting), failure, sighting);
    qDebug().noquote() << QStringLiteral("cable: %1; hint: %2").arg(sighting.summary(), hint);
    return hint;
}

} // namespace CableHint
