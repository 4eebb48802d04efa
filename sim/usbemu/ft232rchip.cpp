// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/usbemu/ft232rchip.h"

#include "sim/usbemu/ft232rdescriptors.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace sim::usbemu {

namespace {
// Vendor requests (bRequest) of the FTDI chips.
constexpr std::uint8_t kReset = 0x00;
constexpr std::uint8_t kModemCtrl = 0x01;
constexpr std::uint8_t kFlowCtrl = 0x02;
constexpr std::uint8_t kSetBaud = 0x03;
constexpr std::uint8_t kSetData = 0x04;
constexpr std::uint8_t kPollModemStatus = 0x05;
constexpr std::uint8_t kEventChar = 0x06;
constexpr std::uint8_t kErrorChar = 0x07;
constexpr std::uint8_t kSetLatency = 0x09;
constexpr std::uint8_t kGetLatency = 0x0A;
constexpr std::uint8_t kSetBitmode = 0x0B;
constexpr std::uint8_t kReadPins = 0x0C;
constexpr std::uint8_t kReadEeprom = 0x90;

constexpr std::uint8_t kGetStatus = 0x00;
constexpr std::uint8_t kGetDescriptor = 0x06;
constexpr std::uint8_t kGetConfiguration = 0x08;

constexpr std::uint8_t kTypeMask = 0x60;
constexpr std::uint8_t kTypeVendor = 0x40;
constexpr std::uint8_t kDirIn = 0x80;

// Eighths of the divisor for the three-bit sub-integer code of the chip.
constexpr int kEighthsOfCode[8] = {0, 4, 2, 1, 3, 5, 6, 7};
constexpr double kBaseClockEighths = 3000000.0 * 8;

constexpr int kNotOpen = -666; // VirtualCable: no device behind the token

// Stop-bit field (bits 11-13 of SET_DATA): 1, 1.5 and 2 stop bits.
int stopBitsOf(int field)
{
    return field == 1 ? 15 : field == 2 ? 2 : 1;
}
} // namespace

SetupPacket parseSetup(const std::uint8_t *b)
{
    SetupPacket s;
    s.requestType = b[0];
    s.request = b[1];
    s.value = std::uint16_t(b[2] | (b[3] << 8));
    s.index = std::uint16_t(b[4] | (b[5] << 8));
    s.length = std::uint16_t(b[6] | (b[7] << 8));
    return s;
}

int baudFromDivisor(std::uint16_t value, std::uint16_t index)
{
    const int integer = value & 0x3FFF;
    const int code = ((value >> 14) & 0x3) | ((index & 0x1) << 2);
    if (integer == 0 && code == 0)
        return 3000000;
    if (integer == 1 && code == 0)
        return 2000000;
    const int eighths = integer * 8 + kEighthsOfCode[code];
    return eighths > 0 ? int(kBaseClockEighths / eighths + 0.5) : 0;
}

int Ft232rChip::claim()
{
    if (token_ != 0)
        return 0;
    const int token = cable_.open(kVendorId, kProductId);
    if (token > 0) {
        token_ = token;
        return 0;
    }
    return cable_.plugged() ? -EBUSY : -ENODEV;
}

void Ft232rChip::release()
{
    if (token_ != 0)
        cable_.close(token_);
    token_ = 0;
}

Outcome Ft232rChip::fromCable(int result) const
{
    if (result >= 0)
        return Outcome::Done;
    return result == kNotOpen && !cable_.plugged() ? Outcome::NoDevice : Outcome::Stall;
}

Outcome Ft232rChip::control(const SetupPacket &setup, std::vector<std::uint8_t> &data)
{
    if (!cable_.plugged())
        return Outcome::NoDevice;
    const bool vendor = (setup.requestType & kTypeMask) == kTypeVendor;
    const bool in = (setup.requestType & kDirIn) != 0;
    if (!vendor)
        return in ? standardIn(setup, data) : Outcome::Done;
    const Outcome outcome = in ? vendorIn(setup, data) : vendorOut(setup);
    requests_.push_back(
        {setup.request, setup.value, setup.index, nowNs(), outcome == Outcome::Stall});
    return outcome;
}

Outcome Ft232rChip::vendorOut(const SetupPacket &s)
{
    switch (s.request) {
    case kReset:
        if (s.value != 2) // 0 resets the chip, 1 purges the receive side
            cable_.purgeReceive(token_);
        return Outcome::Done;
    case kModemCtrl:
        if (s.value & 0x0100)
            return fromCable(cable_.setDtr(token_, (s.value & 0x0001) != 0));
        return Outcome::Done;
    case kSetBaud: {
        const int rate = baudFromDivisor(s.value, s.index);
        return rate > 0 ? fromCable(cable_.setBaud(token_, rate)) : Outcome::Stall;
    }
    case kSetData:
        if (s.value & 0x4000) // a break on the line is not modelled
            return Outcome::Done;
        return fromCable(cable_.setLineProperty(
            token_, s.value & 0xFF, stopBitsOf((s.value >> 11) & 0x7), (s.value >> 8) & 0x7));
    case kSetLatency:
        if (s.value < 1 || s.value > 255)
            return Outcome::Stall;
        cable_.setLatencyMs(s.value);
        return Outcome::Done;
    case kFlowCtrl:
    case kEventChar:
    case kErrorChar:
    case kSetBitmode: return Outcome::Done;
    default: return Outcome::Stall;
    }
}

Outcome Ft232rChip::vendorIn(const SetupPacket &s, std::vector<std::uint8_t> &data)
{
    switch (s.request) {
    case kPollModemStatus:
        data.assign(std::begin(VirtualCable::ModemStatus), std::end(VirtualCable::ModemStatus));
        break;
    case kGetLatency: data = {std::uint8_t(cable_.latencyMs())}; break;
    case kReadPins: data = {0xFF}; break;
    case kReadEeprom:
        data = {0xFF, 0xFF}; // a blank EEPROM
        break;
    default: return Outcome::Stall;
    }
    if (data.size() > s.length)
        data.resize(s.length);
    return Outcome::Done;
}

Outcome Ft232rChip::standardIn(const SetupPacket &s, std::vector<std::uint8_t> &data)
{
    const int type = s.value >> 8;
    if (s.request == kGetStatus)
        data = {0, 0};
    else if (s.request == kGetConfiguration)
        data = {1};
    else if (s.request == kGetDescriptor && type == 1)
        data = deviceDescriptor();
    else if (s.request == kGetDescriptor && type == 2)
        data = configurationDescriptor();
    else if (s.request == kGetDescriptor && type == 3)
        data = stringDescriptor(s.value & 0xFF);
    if (data.empty())
        return Outcome::Stall;
    if (data.size() > s.length)
        data.resize(s.length);
    return Outcome::Done;
}

Outcome Ft232rChip::bulkOut(const std::uint8_t *buf, int length, int &written)
{
    written = 0;
    const int result = cable_.write(token_, buf, length);
    if (result < 0)
        return fromCable(result);
    written = result;
    return Outcome::Done;
}

Outcome Ft232rChip::bulkIn(std::uint8_t *buf, int room, int &filled, Nanos startedAt, Nanos &endsAt)
{
    filled = 0;
    const int result = cable_.inTransfer(token_, buf, room, startedAt, endsAt);
    if (result < 0)
        return fromCable(result);
    filled = result;
    return Outcome::Done;
}

} // namespace sim::usbemu
