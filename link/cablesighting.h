// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CABLESIGHTING_H
#define CABLESIGHTING_H

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

    // One line for the log: what was seen.
    QString summary() const;
};

// Asks the system. Defined twice: link/lookup/ for the real machine
// (SetupAPI on Windows, sysfs on Linux), sim/ for the simulated cable.
CableSighting lookUpCable();

#endif // CABLESIGHTING_H
