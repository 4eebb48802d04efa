// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CABLEHINT_H
#define CABLEHINT_H

#include "link/cablesighting.h"
#include "link/openfailure.h"

#include <QString>

// Why the cable could not be opened and what the mechanic can do, decided
// from libftdi1's failure and what the system says of the cable; shown
// beside "Not Connect." in short plain Indonesian.
namespace CableHint {

enum class Advice {
    NoUsb,         // libusb itself could not start
    NoCable,       // no device 0433:6066 plugged in
    NoDriver,      // Windows: plugged in, no driver installed
    Disabled,      // Windows: disabled in Device Manager
    NotStarted,    // Windows: its driver failed to start
    BlockedDriver, // Windows: Windows refused to load its driver
    Problem,       // Windows: another problem Device Manager shows
    WrongDriver,   // Windows: a driver libusb cannot open (the vendor's serial one, ...)
    NoLibusbK,     // Windows: libusbK or libusb0 bound, but no libusbK.dll to reach it
    Busy,          // another program holds it
    NoPermission,  // Linux: its device node is closed to us
    KernelDriver,  // Linux: the kernel's serial driver holds it
    LineRefused,   // opened, but it refused 8N1
    NotAnswering,  // opened, but it did not answer its reset or speed setting
    Unknown,
};

Advice advise(const OpenFailure &failure, const CableSighting &sighting);
// The text for the window; names the driver or the code where it helps,
// and how many cables are plugged in when there are several.
QString text(Advice advice, const OpenFailure &failure, const CableSighting &sighting);

// After a failed open: logs what libftdi1 and the system said of the
// cable (asked only then: the happy path never pays for it), and gives the text.
QString explain(const OpenFailure &failure, const CableSighting &sighting);

} // namespace CableHint

#endif // CABLEHINT_H
