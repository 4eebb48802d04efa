// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOSTECU_H
#define HOSTECU_H

// The ECUs the USB host can seat behind the emulated adapter, by the name
// given to its --ecu option. This file is the one place to add an ECU model
// to the host: add a row to the table in hostecu.cpp.

#include "sim/virtualcable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim::usbemu {

// The ECU seated for `name`; nullptr for a silent line (and for an unknown
// name: ask knownHostEcu first).
std::shared_ptr<sim::EcuModel> makeHostEcu(const std::string &name);
bool knownHostEcu(const std::string &name);
std::vector<std::string> hostEcuNames();

// A stand-in that knows one Auto exchange: it answers the identify byte
// 0xFE with 0x01 0x00 (last byte 0: a vixion), 2 ms after hearing it.
class IdentifyOnlyEcu : public sim::EcuModel
{
public:
    void onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                const LineState &line) override;
};

} // namespace sim::usbemu

#endif // HOSTECU_H
