// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbtestbench.h"

#include <cstdint>

UsbTestBench::UsbTestBench() : adapter_(sim::VirtualCable::instance()), bus_(adapter_) {}

void UsbTestBench::reset()
{
    if (!bus_.adapterPlugged())
        bus_.plugAdapter();
    adapter_.holdForAnotherProgram(false);
    adapter_.slowClaims(0);
    adapter_.inspect([this](const sim::usbemu::Ft232rChip &chip, sim::VirtualCable &cable) {
        cable.refuseLineProperty(false);
        cable.refuseBaud(false);
        cable.failWrites(0);
        cable.setLatencyMs(sim::VirtualCable::DefaultLatencyMs); // as after a power-up
        cable.seat(nullptr);
        cable.clearHistory();
        requestsSeen_ = chip.requests().size();
    });
}

std::vector<sim::usbemu::ControlRecord> UsbTestBench::requests()
{
    std::vector<sim::usbemu::ControlRecord> out;
    adapter_.inspect([&](const sim::usbemu::Ft232rChip &chip, sim::VirtualCable &) {
        out.assign(chip.requests().begin() + long(requestsSeen_), chip.requests().end());
    });
    return out;
}

std::vector<sim::usbemu::ControlRecord> UsbTestBench::requests(std::uint8_t request)
{
    std::vector<sim::usbemu::ControlRecord> out;
    for (const auto &r : requests()) {
        if (r.request == request)
            out.push_back(r);
    }
    return out;
}

void UsbTestBench::withCable(const std::function<void(sim::VirtualCable &)> &use)
{
    adapter_.inspect(
        [&](const sim::usbemu::Ft232rChip &, sim::VirtualCable &cable) { use(cable); });
}
