// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CABLESIGHTING_H
#define CABLESIGHTING_H

#include <QList>
#include <QString>
#include <QStringList>

// What the system itself says about the cable 0433:6066, asked after an open
// failed: libftdi1 cannot tell a missing cable from one it may not open.
struct CableSighting {
    enum class System { Linux, Windows };
    System system = System::Linux;
    bool looked = false;  // the system could be asked at all
    bool present = false; // a device with the cable's ids is plugged in
    // Linux: the kernel driver of its interface 0 ("usbfs": a program holds
    // it), empty when none. Windows: the device's service, empty when none.
    QString driver;
    QStringList filters;         // Windows: its upper and lower filter drivers
    bool driverInstalled = true; // Windows: a driver is installed and reports no problem
    bool accessible = true;      // Linux: we may read and write its device node
    bool libusbKDll = false;     // Windows: the system folder holds libusbK.dll
    // Windows: the device's problem code as Device Manager shows it
    // (CM_Get_DevNode_Status: 22 disabled, 10 failed to start, 28 no
    // driver, ...), 0 when it reports none.
    int problem = 0;
    // Devices with the cable's ids; the fields above are of the one that
    // matters (chosen()). 0 for a sighting that counted none: as `present` says.
    int count = 0;

    // One line for the log: what was seen.
    QString summary() const;

    // Of several devices with the cable's ids (each a sighting of its own,
    // in the system's order), the one the hint is about, with the count:
    // the first that has a working driver, for it is the one libftdi1 met
    // (libusb lists a device only once its driver has configured it, and
    // libftdi1 opens the first it lists); when none has, the first.
    static CableSighting chosen(const QList<CableSighting> &devices);
};

// Asks the system. Defined twice: link/lookup/ for the real machine
// (SetupAPI on Windows, sysfs on Linux), sim/ for the simulated cable.
CableSighting lookUpCable();

#endif // CABLESIGHTING_H
