// SPDX-License-Identifier: GPL-3.0-or-later
// Ready-made Auto bikes.
#include "sim/autoecu.h"

#include <cstdint>

namespace sim {

namespace {
const std::vector<int> kVixionItems = {1,  3,  5,  6,  7,  8,  9,  11, 20, 21, 30, 31,
                                       36, 37, 50, 51, 54, 60, 61, 62, 63, 67, 70, 87};

// A warm bike at idle with two stored faults, the last one a crankshaft
// sensor error (12).
const std::map<int, int> kVixionRaw = {
    {1, 0x02},  {3, 0x43},  {5, 0x3f},  {6, 0x6e},  {7, 0x00},  {8, 0x32},  {9, 0xb4},  {11, 0x6e},
    {20, 0x00}, {21, 0x01}, {60, 0x00}, {61, 0x0c}, {62, 0x02}, {63, 0x00}, {67, 0x1e}, {70, 0x11},
};

const std::set<int> kActuators = {30, 31, 36, 37, 48, 50, 51, 52, 54, 62, 67, 87};

// What a locked model-48 ECU wants to hear before it identifies itself.
const std::vector<std::uint8_t> kUnlock = {0xA1, 0x37, 0x5E, 0x12, 0xC9,
                                           0x93, 0x48, 0x04, 0x6D, 0xFB};
} // namespace

AutoEcuConfig AutoEcuConfig::vixion()
{
    AutoEcuConfig c;
    c.modelCode = 0;
    c.unlock = kUnlock;
    c.items = kVixionItems;
    c.raw = kVixionRaw;
    c.actuators = kActuators;
    return c;
}

AutoEcuConfig AutoEcuConfig::vixionDemo()
{
    AutoEcuConfig c = vixion();
    c.wander = true;
    c.coSetting = 3;
    // The throttle opened to about 80 degrees and closed again every four
    // seconds of polling: something to watch move on the chart.
    c.ramps[1] = Ramp{2, 162, 4};
    return c;
}

} // namespace sim
