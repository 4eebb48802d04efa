// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/demobike.h"

#include "sim/autoecu.h"
#include "sim/kwpecu.h"

#include <cstdint>

namespace sim {

namespace {
// Both ECUs sit on the one K-line; each hears only its own line speed
// (15625 baud for Auto, 10399 after a fast-init pulse for KWP), so every
// event can go to both and the type box decides who answers.
class DemoBike : public EcuModel
{
public:
    DemoBike()
        : auto_(std::make_shared<AutoEcu>(AutoEcuConfig::vixionDemo())),
          kwp_(std::make_shared<KwpEcu>(KwpEcuConfig::demo()))
    {
    }
    void onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                const LineState &line) override
    {
        auto_->onByte(cable, byte, heardAt, line);
        kwp_->onByte(cable, byte, heardAt, line);
    }
    void onDtr(VirtualCable &cable, bool level, Nanos at) override
    {
        auto_->onDtr(cable, level, at);
        kwp_->onDtr(cable, level, at);
    }
    void onBaud(VirtualCable &cable, int actualBaud, Nanos at) override
    {
        auto_->onBaud(cable, actualBaud, at);
        kwp_->onBaud(cable, actualBaud, at);
    }

private:
    std::shared_ptr<AutoEcu> auto_;
    std::shared_ptr<KwpEcu> kwp_;
};
} // namespace

std::shared_ptr<EcuModel> makeDemoBike()
{
    return std::make_shared<DemoBike>();
}

} // namespace sim
