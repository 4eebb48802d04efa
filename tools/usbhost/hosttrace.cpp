// SPDX-License-Identifier: GPL-3.0-or-later
#include "hosttrace.h"

#include <cinttypes>
#include <cstdio>

bool writeHostTrace(sim::usbemu::Ft232rEmulator &adapter, const std::string &path)
{
    FILE *out = std::fopen(path.c_str(), "w");
    if (!out)
        return false;
    adapter.inspect([out](const sim::usbemu::Ft232rChip &chip, sim::VirtualCable &cable) {
        for (const auto &r : chip.requests())
            std::fprintf(out, "request 0x%02x value 0x%04x index 0x%04x at %" PRId64 " %s\n",
                         r.request, r.value, r.index, r.at, r.stalled ? "stall" : "ok");
        for (const auto &e : cable.dtrEdges())
            std::fprintf(out, "dtr %d at %" PRId64 "\n", e.level ? 1 : 0, e.at);
        for (const auto &b : cable.transmitted())
            std::fprintf(out, "tx 0x%02x at %" PRId64 "\n", b.value, b.writtenAt);
    });
    return std::fclose(out) == 0;
}
