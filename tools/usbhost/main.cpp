// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-usbhost: runs a program (normally the unmodified tavrix, with the
// real libftdi1 over the real libusb-1.0) against an emulated K-line
// adapter on a virtual USB bus, with an ECU behind it, the way umockdev-run
// runs a program against a recorded device.

#include "hostoptions.h"
#include "hosttrace.h"
#include "programoutput.h"

#include "sim/usbemu/emulatedbus.h"
#include "sim/usbemu/hostecu.h"
#include "sim/usbemu/umockdevpreload.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;
constexpr double kKillGraceSeconds = 5.0;

// The adapter's device node closed to the program, as on a PC where no rule
// gives the user access: no permission bits, and a program started by root
// loses the capabilities that would override them (from its bounding set,
// so that they stay gone across exec).
bool closeNode(const sim::usbemu::EmulatedBus &bus)
{
    const char *root = std::getenv("UMOCKDEV_DIR");
    return root && ::chmod((std::string(root) + bus.devNode()).c_str(), 0) == 0;
}

void dropFileCapabilities()
{
    prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
}

pid_t startProgram(const std::vector<std::string> &program, bool noPermission,
                   ProgramOutput &output)
{
    std::vector<char *> args;
    for (const std::string &arg : program)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // Without its host the program's ioctls have nowhere to go.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        output.becomeChildOutput();
        if (noPermission)
            dropFileCapabilities();
        execvp(args[0], args.data());
        std::perror("tavrix-usbhost: exec");
        _exit(127);
    }
    output.parentSide();
    return pid;
}

// A time that has come: true once, the first time `now` passes `at`.
bool due(double &at, double now)
{
    if (at < 0 || now < at)
        return false;
    at = -1;
    return true;
}

struct Outcome {
    int status = 0;
    bool endedByUs = false;
    rusage usage{};
};

// The events due now, on the clock or on the program's word.
struct Events {
    bool plug = false, unplug = false, end = false;
};

Events onLine(HostOptions &o, const std::string &line)
{
    Events e;
    e.plug = o.plugOn.fires(line) || o.replugOn.fires(line);
    e.unplug = o.unplugOn.fires(line);
    e.end = o.endOn.fires(line);
    return e;
}

Events onClock(HostOptions &o, double now)
{
    Events e;
    e.plug = due(o.plugAfter, now) || due(o.replugAfter, now);
    e.unplug = due(o.unplugAfter, now);
    e.end = due(o.runFor, now);
    return e;
}

// Runs the plug events until the program ends; the host outlives it, since
// its ioctls are served from this process.
Outcome supervise(pid_t child, HostOptions o, sim::usbemu::EmulatedBus &bus, ProgramOutput &output)
{
    Outcome out;
    const Clock::time_point start = Clock::now();
    double killAt = -1;
    double now = 0;
    // Lines are acted on in the order they come; of a pull and a plug due
    // at once (a late poll on a stretched clock), the pull came first.
    const auto act = [&](const Events &e) {
        if (e.unplug) {
            bus.unplugAdapter();
            o.replugOn.armed = true;
        }
        if (e.plug)
            bus.plugAdapter();
        if (e.end && !out.endedByUs) {
            kill(child, SIGTERM);
            out.endedByUs = true;
            killAt = now + kKillGraceSeconds;
        }
    };
    while (wait4(child, &out.status, WNOHANG, &out.usage) == 0) {
        now = std::chrono::duration<double>(Clock::now() - start).count();
        output.poll([&](const std::string &line) { act(onLine(o, line)); });
        act(onClock(o, now));
        if (due(killAt, now))
            kill(child, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    output.poll([](const std::string &) {});
    return out;
}

int exitCodeOf(const Outcome &out)
{
    if (WIFEXITED(out.status))
        return WEXITSTATUS(out.status);
    if (WIFSIGNALED(out.status))
        return out.endedByUs && WTERMSIG(out.status) == SIGTERM ? 0 : 128 + WTERMSIG(out.status);
    return 1;
}

void reportCpu(const Outcome &out, double wallSeconds)
{
    const double cpuMs = (out.usage.ru_utime.tv_sec + out.usage.ru_stime.tv_sec) * 1e3
                         + (out.usage.ru_utime.tv_usec + out.usage.ru_stime.tv_usec) / 1e3;
    std::fprintf(stderr, "usbhost: program cpu %.0f ms in %.0f ms\n", cpuMs, wallSeconds * 1e3);
}
} // namespace

int main(int argc, char **argv)
{
    sim::usbemu::ensureUmockdevPreload(argv);
    HostOptions options;
    if (!parseHostOptions(argc, argv, options)) {
        printHostUsage();
        return 2;
    }
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    cable.reset();
    cable.seat(sim::usbemu::makeHostEcu(options.ecu));
    cable.refuseLineProperty(options.refuseLineProperty);
    cable.refuseBaud(options.refuseBaud);
    cable.setLatencyMs(options.latencyMs);
    sim::usbemu::Ft232rEmulator adapter(cable);
    sim::usbemu::EmulatedBus bus(adapter);
    adapter.holdForAnotherProgram(options.busy);
    if (!bus.ready() || (options.device && !bus.plugAdapter()))
        return 1;
    if (options.noPermission && options.device && !closeNode(bus)) {
        std::perror("tavrix-usbhost: cannot close the device node");
        return 1;
    }
    ProgramOutput output;
    if (!output.ok()) {
        std::perror("tavrix-usbhost: pipe");
        return 1;
    }
    const Clock::time_point start = Clock::now();
    const pid_t child = startProgram(options.program, options.noPermission, output);
    const Outcome out = supervise(child, options, bus, output);
    reportCpu(out, std::chrono::duration<double>(Clock::now() - start).count());
    if (!options.trace.empty() && !writeHostTrace(adapter, options.trace))
        std::fprintf(stderr, "tavrix-usbhost: cannot write %s\n", options.trace.c_str());
    return exitCodeOf(out);
}
