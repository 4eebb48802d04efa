// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FT232RDESCRIPTORS_H
#define FT232RDESCRIPTORS_H

// What the emulated K-line adapter tells the USB host about itself: an
// FT232R (device release 0x0600) under the cable's own ids 0433:6066, one
// configuration, one vendor-class interface, bulk OUT 0x02 and bulk IN 0x81
// of 64 bytes.

#include "sim/virtualcable.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sim::usbemu {

constexpr int kVendorId = 0x0433;
constexpr int kProductId = 0x6066;
constexpr int kDeviceRelease = 0x0600;
constexpr int kPacketSize = VirtualCable::PacketSize;
constexpr std::uint8_t kBulkOut = 0x02;
constexpr std::uint8_t kBulkIn = 0x81;

// Device descriptor followed by the full configuration descriptor, the
// layout of the sysfs `descriptors` attribute.
std::vector<std::uint8_t> sysfsDescriptors();
std::vector<std::uint8_t> deviceDescriptor();
std::vector<std::uint8_t> configurationDescriptor();
// String descriptor `index` (0: language list), empty when there is none.
std::vector<std::uint8_t> stringDescriptor(int index);

// The sysfs text attributes of the device on bus 1 with `devnum`.
std::vector<std::pair<std::string, std::string>> sysfsAttributes(int devnum);
// The udev properties of the same device.
std::vector<std::pair<std::string, std::string>> udevProperties(int devnum);
std::string devNode(int devnum);

} // namespace sim::usbemu

#endif // FT232RDESCRIPTORS_H
