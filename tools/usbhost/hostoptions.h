// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOSTOPTIONS_H
#define HOSTOPTIONS_H

#include <string>
#include <vector>

// Command line of tavrix-usbhost. Times are seconds since the program
// started; a negative time means "never".
struct HostOptions {
    bool device = true; // adapter plugged in at start
    double plugAfter = -1;
    double unplugAfter = -1;
    double replugAfter = -1;
    double runFor = -1; // then SIGTERM to the program
    bool refuseLineProperty = false;
    bool refuseBaud = false;
    bool busy = false;         // another program holds the adapter
    bool noPermission = false; // its device node is closed to the program
    int latencyMs = 16;        // the chip's latency timer at power-up
    std::string ecu = "bike";
    std::string trace; // file for what the adapter saw
    std::vector<std::string> program;
};

// False (with a message on stderr) for a command line that does not parse.
bool parseHostOptions(int argc, char **argv, HostOptions &options);
void printHostUsage();

#endif // HOSTOPTIONS_H
