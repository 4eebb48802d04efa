// SPDX-License-Identifier: GPL-3.0-or-later
// What a Linux system would say of the simulated cable when the link looks
// it up after a failed open (in place of link/lookup/ on the real machine).
#include "link/cablesighting.h"
#include "sim/virtualcable.h"

using sim::VirtualCable;

CableSighting lookUpCable()
{
    VirtualCable &cable = VirtualCable::instance();
    cable.noteLookup();
    CableSighting sighting;
    sighting.system = CableSighting::System::Linux;
    sighting.looked = true;
    sighting.present = cable.plugged() && !cable.openFails();
    sighting.accessible = cable.openRefusal() != VirtualCable::Refusal::NoPermission;
    // usbfs is the driver Linux shows for an interface a program has claimed.
    if (cable.openRefusal() == VirtualCable::Refusal::Busy || cable.held())
        sighting.driver = QStringLiteral("usbfs");
    return sighting;
}
