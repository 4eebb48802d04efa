// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostoptions.h"

#include "sim/usbemu/hostecu.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool readSeconds(const char *text, double &out)
{
    char *end = nullptr;
    out = std::strtod(text, &end);
    return end && *end == '\0' && out >= 0;
}

bool readLatency(const char *text, int &out)
{
    char *end = nullptr;
    const long ms = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || ms < 1 || ms > 255)
        return false;
    out = int(ms);
    return true;
}

// "TEXT" or "N:TEXT": the Nth time the program prints TEXT.
bool readTrigger(const char *text, LineTrigger &out)
{
    const char *colon = std::strchr(text, ':');
    char *end = nullptr;
    const long count = colon ? std::strtol(text, &end, 10) : 0;
    const bool counted = colon && end == colon && colon != text && count >= 1;
    out.count = counted ? int(count) : 1;
    out.line = counted ? std::string(colon + 1) : std::string(text);
    return !out.line.empty();
}

bool takeTrigger(const std::string &flag, const char *value, HostOptions &o)
{
    LineTrigger *target = flag == "--plug-on"     ? &o.plugOn
                          : flag == "--unplug-on" ? &o.unplugOn
                          : flag == "--replug-on" ? &o.replugOn
                          : flag == "--end-on"    ? &o.endOn
                                                  : nullptr;
    return target && readTrigger(value, *target);
}

bool takeTimed(const std::string &flag, const char *value, HostOptions &o)
{
    double *target = flag == "--plug-after"     ? &o.plugAfter
                     : flag == "--unplug-after" ? &o.unplugAfter
                     : flag == "--replug-after" ? &o.replugAfter
                     : flag == "--run-for"      ? &o.runFor
                                                : nullptr;
    return target && readSeconds(value, *target);
}

bool takeOption(const std::string &flag, const char *value, HostOptions &o, bool &used)
{
    used = false;
    if (flag == "--no-device")
        o.device = false;
    else if (flag == "--refuse-line-property")
        o.refuseLineProperty = true;
    else if (flag == "--refuse-baud")
        o.refuseBaud = true;
    else if (flag == "--busy")
        o.busy = true;
    else if (flag == "--no-permission")
        o.noPermission = true;
    else if (!value)
        return false;
    else if (flag == "--ecu" && sim::usbemu::knownHostEcu(value))
        o.ecu = value, used = true;
    else if (flag == "--trace")
        o.trace = value, used = true;
    else if (flag == "--latency")
        return (used = readLatency(value, o.latencyMs));
    else
        return (used = takeTimed(flag, value, o) || takeTrigger(flag, value, o));
    return true;
}
} // namespace

bool LineTrigger::fires(const std::string &printed)
{
    if (!armed || line.empty() || printed != line)
        return false;
    if (++seen < count)
        return false;
    line.clear();
    return true;
}

void printHostUsage()
{
    std::fprintf(stderr,
                 "usage: tavrix-usbhost [options] [--] PROGRAM [ARGS...]\n"
                 "Runs PROGRAM with an emulated K-line adapter on a virtual USB bus.\n"
                 "  --no-device               start with the adapter unplugged\n"
                 "  --plug-after S            plug it in S seconds after start\n"
                 "  --unplug-after S          pull it S seconds after start\n"
                 "  --replug-after S          plug it in again S seconds after start\n"
                 "  --refuse-line-property    the chip stalls the line-property request\n"
                 "  --refuse-baud             the chip stalls baud-rate requests\n"
                 "  --busy                    another program holds the adapter\n"
                 "  --no-permission           the adapter's device node is closed to PROGRAM\n"
                 "  --ecu NAME                ECU behind the cable:");
    for (const std::string &name : sim::usbemu::hostEcuNames())
        std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr,
                 " (default bike)\n"
                 "  --run-for S               end PROGRAM (SIGTERM) after S seconds\n"
                 "  --plug-on, --unplug-on, --replug-on, --end-on [N:]LINE\n"
                 "                            the same once PROGRAM has printed LINE (N times);\n"
                 "                            the replug counts from the unplug\n"
                 "  --trace FILE              write what the adapter saw to FILE\n"
                 "  --latency MS              the chip's latency timer, 1..255 (default 16)\n");
}

bool parseHostOptions(int argc, char **argv, HostOptions &o)
{
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string flag = argv[i];
        if (flag == "--") {
            ++i;
            break;
        }
        bool used = false;
        if (!takeOption(flag, i + 1 < argc ? argv[i + 1] : nullptr, o, used)) {
            std::fprintf(stderr, "tavrix-usbhost: bad option %s\n", flag.c_str());
            return false;
        }
        i += used ? 1 : 0;
    }
    for (; i < argc; ++i)
        o.program.push_back(argv[i]);
    o.replugOn.armed = o.unplugAfter < 0 && o.unplugOn.line.empty();
    return !o.program.empty();
}
