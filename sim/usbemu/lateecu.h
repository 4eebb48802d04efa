// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LATEECU_H
#define LATEECU_H

#include "sim/virtualcable.h"

#include <cstdlib>
#include <utility>

namespace sim::usbemu {

// An ECU of the host that answers one request of its session late: the
// answer comes after the tool has given up reading it. Real bikes do this
// now and then; the demo bike never does, so this is for recording it.
// `Ecu` is a family's model (AutoEcu, KwpEcu), which knows how to be late.
template <class Ecu>
class LateEcu : public Ecu
{
public:
    // The answer to the request that brings the `atByte`th byte heard at
    // the family's `baud` comes `lateMs` later than usual.
    template <class Config>
    LateEcu(Config config, int baud, int atByte, int lateMs)
        : Ecu(std::move(config)), baud_(baud), atByte_(atByte), lateMs_(lateMs)
    {
    }
    void onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                const LineState &line) override
    {
        if (std::abs(line.baud - baud_) <= baud_ / 100 && ++heard_ == atByte_)
            Ecu::answerLate(1, lateMs_);
        Ecu::onByte(cable, byte, heardAt, line);
    }

private:
    int baud_;
    int atByte_;
    int lateMs_;
    int heard_ = 0;
};

} // namespace sim::usbemu

#endif // LATEECU_H
