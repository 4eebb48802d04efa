// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FT232RCHIP_H
#define FT232RCHIP_H

// The FT232R's own behaviour between its USB endpoints and the K-line:
// the vendor requests libftdi1 sends on endpoint 0, the bulk OUT bytes that
// go on the wire and the bulk IN packets (two modem-status bytes, then at
// most 62 data bytes) that bring back what the line has delivered, paced by
// the chip's latency timer. The line, the receive side with its timer, and
// the ECU behind them are the same sim::VirtualCable the link-level tests
// use, so both doors share one model of the far side.
//
// Not thread-safe: the owner serialises the calls.

#include "sim/virtualcable.h"

#include <cstdint>
#include <vector>

namespace sim::usbemu {

struct SetupPacket {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
};
SetupPacket parseSetup(const std::uint8_t *bytes);

enum class Outcome { Done, Stall, NoDevice };

// One vendor request as the chip received it.
struct ControlRecord {
    std::uint8_t request;
    std::uint16_t value;
    std::uint16_t index;
    Nanos at;
    bool stalled;
};

// The rate the chip runs at for a SET_BAUDRATE divisor (wValue, wIndex).
int baudFromDivisor(std::uint16_t value, std::uint16_t index);

class Ft232rChip
{
public:
    explicit Ft232rChip(VirtualCable &cable) : cable_(cable) {}

    // The interface claim of one host handle; 0, -EBUSY or -ENODEV.
    int claim();
    void release();
    bool claimed() const { return token_ != 0; }

    // `data` carries the OUT payload in and the IN answer out.
    Outcome control(const SetupPacket &setup, std::vector<std::uint8_t> &data);
    Outcome bulkOut(const std::uint8_t *buf, int length, int &written);
    // A bulk IN transfer the host started at `startedAt`: the packets are
    // decided now, as the line will have brought them; the host may have
    // them only at `endsAt` (the emulator holds the URB until then).
    Outcome bulkIn(std::uint8_t *buf, int room, int &filled, Nanos startedAt, Nanos &endsAt);

    const std::vector<ControlRecord> &requests() const { return requests_; }
    int latencyMs() const { return cable_.latencyMs(); }

private:
    Outcome vendorOut(const SetupPacket &setup);
    Outcome vendorIn(const SetupPacket &setup, std::vector<std::uint8_t> &data);
    Outcome standardIn(const SetupPacket &setup, std::vector<std::uint8_t> &data);
    Outcome fromCable(int result) const;

    VirtualCable &cable_;
    int token_ = 0;
    std::vector<ControlRecord> requests_;
};

} // namespace sim::usbemu

#endif // FT232RCHIP_H
