// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef EMULATEDBUS_H
#define EMULATEDBUS_H

// A virtual USB bus (a umockdev testbed) with one port for the emulated
// K-line adapter. Making the bus sets UMOCKDEV_DIR, so libusb in this
// process and in every child started afterwards sees the bus instead of the
// machine's. The process must run under libumockdev-preload
// (sim/usbemu/umockdevpreload.h), or nothing of this reaches libusb.

#include "sim/usbemu/ft232remulator.h"

#include <string>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace sim::usbemu {

class EmulatedBus
{
public:
    explicit EmulatedBus(Ft232rEmulator &adapter);
    ~EmulatedBus();
    EmulatedBus(const EmulatedBus &) = delete;
    EmulatedBus &operator=(const EmulatedBus &) = delete;

    bool ready() const { return testbed_ != nullptr; }
    // Plugs the adapter in under a new device number, as a real replug does.
    bool plugAdapter();
    void unplugAdapter();
    bool adapterPlugged() const { return !syspath_.empty(); }
    std::string devNode() const;

private:
    Ft232rEmulator &adapter_;
    UMockdevTestbed *testbed_ = nullptr;
    std::string syspath_;
    int devnum_ = 1;
};

} // namespace sim::usbemu

#endif // EMULATEDBUS_H
