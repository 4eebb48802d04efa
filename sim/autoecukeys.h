// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOECUKEYS_H
#define AUTOECUKEYS_H

// The key bytes and timings the simulated Auto ECU works with (private to
// sim/autoecu*.cpp).

#include "sim/virtualcable.h"

#include <cstdint>
#include <vector>

namespace sim {
namespace autoecu {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kIdentify = 0xFE;
constexpr std::uint8_t kHold = 0xCA;
constexpr std::uint8_t kUp = 0xCB;
constexpr std::uint8_t kDown = 0xCC;
constexpr std::uint8_t kAction = 0xCE;

constexpr std::uint8_t kLockedModel = 0x48;
constexpr std::uint8_t kTwinMark = 0x40;

inline Nanos ms(int value)
{
    return Nanos(value) * 1000000;
}

inline void append(Bytes &to, std::uint8_t key, int count)
{
    to.insert(to.end(), std::size_t(count), key);
}

} // namespace autoecu
} // namespace sim

#endif // AUTOECUKEYS_H
