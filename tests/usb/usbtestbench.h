// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef USBTESTBENCH_H
#define USBTESTBENCH_H

// The emulated adapter on a virtual USB bus inside the test process: the
// link under test (UsbSerial with the real libftdi1 over the real libusb)
// reaches it through usbdevfs, and the test watches the chip and the line.

#include "sim/usbemu/emulatedbus.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

class UsbTestBench
{
public:
    UsbTestBench();
    bool ready() const { return bus_.ready(); }

    // Plugged, free, quick to claim, silent line, no faults, the chip's own
    // latency timer, empty history.
    void reset();
    void plug() { bus_.plugAdapter(); }
    void unplug() { bus_.unplugAdapter(); }
    std::string devNode() const { return bus_.devNode(); }
    void holdForAnotherProgram(bool held) { adapter_.holdForAnotherProgram(held); }
    void slowClaims(int ms) { adapter_.slowClaims(ms); }
    std::vector<std::chrono::steady_clock::time_point> claimsAsked()
    {
        return adapter_.claimsAsked();
    }

    // Vendor requests since the last reset, in arrival order.
    std::vector<sim::usbemu::ControlRecord> requests();
    std::vector<sim::usbemu::ControlRecord> requests(std::uint8_t request);
    void withCable(const std::function<void(sim::VirtualCable &)> &use);

private:
    sim::usbemu::Ft232rEmulator adapter_;
    sim::usbemu::EmulatedBus bus_;
    std::size_t requestsSeen_ = 0;
};

#endif // USBTESTBENCH_H
