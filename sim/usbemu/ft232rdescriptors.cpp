// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/usbemu/ft232rdescriptors.h"

#include <cstdint>
#include <cstdio>

namespace sim::usbemu {

namespace {
// The descriptors are laid out one field group a line, as USB lists them.
// clang-format off
const std::uint8_t kDevice[] = {
    18, 0x01, 0x00, 0x02,           // USB 2.0
    0x00, 0x00, 0x00, 8,            // class in the interface, ep0 8 bytes
    0x33, 0x04, 0x66, 0x60,         // 0433:6066
    0x00, 0x06,                     // release 6.00: FT232R
    1, 2, 3, 1};                    // strings, one configuration

const std::uint8_t kConfiguration[] = {
    9, 0x02, 32, 0, 1, 1, 0, 0xA0, 45,       // 32 bytes, bus powered, 90 mA
    9, 0x04, 0, 0, 2, 0xFF, 0xFF, 0xFF, 2,   // interface 0, vendor class
    7, 0x05, kBulkIn, 0x02, kPacketSize, 0, 0,
    7, 0x05, kBulkOut, 0x02, kPacketSize, 0, 0};
// clang-format on

const char *const kStrings[] = {"FTDI", "FT232R USB UART", "TVX0433K"};
constexpr int kBus = 1;
} // namespace

std::vector<std::uint8_t> deviceDescriptor()
{
    return {std::begin(kDevice), std::end(kDevice)};
}

std::vector<std::uint8_t> configurationDescriptor()
{
    return {std::begin(kConfiguration), std::end(kConfiguration)};
}

std::vector<std::uint8_t> sysfsDescriptors()
{
    std::vector<std::uint8_t> all = deviceDescriptor();
    const std::vector<std::uint8_t> config = configurationDescriptor();
    all.insert(all.end(), config.begin(), config.end());
    return all;
}

std::vector<std::uint8_t> stringDescriptor(int index)
{
    if (index == 0)
        return {4, 0x03, 0x09, 0x04}; // English (US)
    if (index < 1 || index > 3)
        return {};
    const std::string text = kStrings[index - 1];
    std::vector<std::uint8_t> out = {std::uint8_t(2 + 2 * text.size()), 0x03};
    for (char c : text) {
        out.push_back(std::uint8_t(c));
        out.push_back(0);
    }
    return out;
}

std::string devNode(int devnum)
{
    char path[32];
    std::snprintf(path, sizeof path, "/dev/bus/usb/%03d/%03d", kBus, devnum);
    return path;
}

std::vector<std::pair<std::string, std::string>> sysfsAttributes(int devnum)
{
    // sysfs values end in a newline; libusb parses them as the kernel writes them.
    return {{"busnum", std::to_string(kBus) + "\n"},
            {"devnum", std::to_string(devnum) + "\n"},
            {"dev", "189:" + std::to_string(devnum - 1) + "\n"},
            {"idVendor", "0433\n"},
            {"idProduct", "6066\n"},
            {"bcdDevice", "0600\n"},
            {"speed", "12\n"},
            {"bConfigurationValue", "1\n"},
            {"bNumConfigurations", "1\n"},
            {"bNumInterfaces", " 1\n"},
            {"bMaxPacketSize0", "8\n"},
            {"manufacturer", std::string(kStrings[0]) + "\n"},
            {"product", std::string(kStrings[1]) + "\n"},
            {"serial", std::string(kStrings[2]) + "\n"}};
}

std::vector<std::pair<std::string, std::string>> udevProperties(int devnum)
{
    char num[8];
    std::snprintf(num, sizeof num, "%03d", devnum);
    return {{"DEVNAME", devNode(devnum)},
            {"DEVTYPE", "usb_device"},
            {"BUSNUM", "001"},
            {"DEVNUM", num},
            {"PRODUCT", "433/6066/600"},
            {"TYPE", "0/0/0"},
            {"ID_VENDOR_ID", "0433"},
            {"ID_MODEL_ID", "6066"}};
}

} // namespace sim::usbemu
