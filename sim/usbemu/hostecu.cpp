// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/usbemu/hostecu.h"
#include "sim/usbemu/lateecu.h"

#include "sim/autoecu.h"
#include "sim/demobike.h"
#include "sim/kwpecu.h"

#include <cstdint>
#include <functional>

namespace sim::usbemu {

namespace {
constexpr int kKwpBaud = 10400;
// "kwp-late": a request of the table scan that follows the login, answered
// long enough after the tool's read that the answer lands in the pause
// before the tool's next step (tests/recordings/xmax-late-answer-linux.ktrace).
constexpr int kKwpLateAtByte = 100;
constexpr int kKwpLateMs = 130;

std::shared_ptr<sim::EcuModel> makeLateKwpEcu()
{
    return std::make_shared<LateEcu<sim::KwpEcu>>(sim::KwpEcuConfig::demo(), kKwpBaud,
                                                  kKwpLateAtByte, kKwpLateMs);
}

struct HostEcu {
    const char *name;
    std::function<std::shared_ptr<sim::EcuModel>()> make;
};

// "bike" is the bike the demo program finds, so both doors of the
// simulation meet the same ECUs.
const HostEcu kHostEcus[] = {
    {"bike", [] { return sim::makeDemoBike(); }},
    {"auto", [] { return std::make_shared<sim::AutoEcu>(sim::AutoEcuConfig::vixion()); }},
    {"kwp", [] { return std::make_shared<sim::KwpEcu>(sim::KwpEcuConfig::demo()); }},
    {"kwp-late", makeLateKwpEcu},
    {"identify", [] { return std::make_shared<IdentifyOnlyEcu>(); }},
    {"silent", [] { return std::shared_ptr<sim::EcuModel>(); }},
};

constexpr std::uint8_t kIdentify = 0xFE;
constexpr Nanos kAnswerDelayNs = 2000000;
} // namespace

void IdentifyOnlyEcu::onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                             const LineState &)
{
    if (byte == kIdentify)
        cable.ecuSend({0x01, 0x00}, heardAt + kAnswerDelayNs);
}

std::shared_ptr<sim::EcuModel> makeHostEcu(const std::string &name)
{
    for (const HostEcu &ecu : kHostEcus) {
        if (name == ecu.name)
            return ecu.make();
    }
    return nullptr;
}

bool knownHostEcu(const std::string &name)
{
    for (const HostEcu &ecu : kHostEcus) {
        if (name == ecu.name)
            return true;
    }
    return false;
}

std::vector<std::string> hostEcuNames()
{
    std::vector<std::string> names;
    for (const HostEcu &ecu : kHostEcus)
        names.push_back(ecu.name);
    return names;
}

} // namespace sim::usbemu
