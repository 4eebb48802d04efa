// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/usbemu/umockdevpreload.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <unistd.h>

namespace sim::usbemu {

namespace {
constexpr const char *kPreload = "libumockdev-preload.so.0";
constexpr const char *kGuard = "TAVRIX_USBEMU_REEXEC";

// The path of the AddressSanitizer runtime mapped into this process, if any.
std::string loadedAsanRuntime()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const auto slash = line.find('/');
        if (slash != std::string::npos && line.find("/libasan.so", slash) != std::string::npos)
            return line.substr(slash);
    }
    return {};
}
} // namespace

bool underUmockdevPreload()
{
    const char *preload = std::getenv("LD_PRELOAD");
    return preload && std::strstr(preload, "libumockdev-preload");
}

void ensureUmockdevPreload(char **argv)
{
    if (underUmockdevPreload())
        return;
    if (std::getenv(kGuard)) {
        std::fprintf(stderr, "usbemu: %s did not load\n", kPreload);
        std::exit(1);
    }
    const char *old = std::getenv("LD_PRELOAD");
    const std::string asan = loadedAsanRuntime();
    std::string preload = asan.empty() ? std::string() : asan + ":";
    preload += kPreload;
    if (old && *old)
        preload += std::string(":") + old;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    setenv(kGuard, "1", 1);
    execv("/proc/self/exe", argv);
    std::perror("usbemu: re-exec");
    std::exit(1);
}

} // namespace sim::usbemu
