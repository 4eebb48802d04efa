// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary replies in every state of the Kwp family.
#include "fuzz/fuzzmain.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzdrive::initApplication();
    fuzzdrive::writeSeedsIfAsked(fuzzdrive::Family::Kwp);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzdrive::driver(fuzzdrive::Family::Kwp).run(data, size);
    return 0;
}
