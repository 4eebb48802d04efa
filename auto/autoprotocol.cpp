// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autoprotocol.h"

#include <cstdint>

namespace AutoProtocol {

namespace {
// The unlock is kept as a half and a mask rather than as plain bytes; the
// second half is the first one masked and mirrored.
const std::uint8_t kUnlockHalf[5] = {0xA1, 0x37, 0x5E, 0x12, 0xC9};
constexpr std::uint8_t kUnlockMask = 0x5A;
} // namespace

std::array<std::uint8_t, 10> unlockSequence()
{
    std::array<std::uint8_t, 10> bytes{};
    for (int i = 0; i < 5; ++i) {
        bytes[std::size_t(i)] = kUnlockHalf[i];
        bytes[std::size_t(9 - i)] = std::uint8_t(kUnlockHalf[i] ^ kUnlockMask);
    }
    return bytes;
}

} // namespace AutoProtocol
