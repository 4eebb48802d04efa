// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOSTOPTIONS_H
#define HOSTOPTIONS_H

#include <string>
#include <vector>

// An event on the program's word: once it has printed `line` (a whole
// line) for the `count`th time, counted from when the trigger was armed.
struct LineTrigger {
    std::string line; // empty: none
    int count = 1;
    int seen = 0;
    bool armed = true;

    // True once, on the line that completes the count.
    bool fires(const std::string &printed);
};

// Command line of tavrix-usbhost. Times are seconds since the program
// started; a negative time means "never". Each event may come on a time,
// on a line the program prints, or on whichever comes first.
struct HostOptions {
    bool device = true; // adapter plugged in at start
    double plugAfter = -1;
    double unplugAfter = -1;
    double replugAfter = -1;
    double runFor = -1;                            // then SIGTERM to the program
    LineTrigger plugOn, unplugOn, replugOn, endOn; // replugOn counts from the unplug
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
