// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOSTTRACE_H
#define HOSTTRACE_H

#include "sim/usbemu/ft232remulator.h"

#include <string>

// Writes what the emulated adapter saw, one event a line, times in
// nanoseconds on the steady clock:
//   request 0x03 value 0x00c0 index 0x0000 at 123 ok|stall
//   dtr 1 at 123
//   tx 0xfe at 123
bool writeHostTrace(sim::usbemu::Ft232rEmulator &adapter, const std::string &path);

#endif // HOSTTRACE_H
