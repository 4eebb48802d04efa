// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary replies in every state of the Auto family.
#include "fuzz/fuzzmain.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzdrive::initApplication();
    fuzzdrive::writeSeedsIfAsked(fuzzdrive::Family::Auto);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzdrive::driver(fuzzdrive::Family::Auto).run(data, size);
    return 0;
}
