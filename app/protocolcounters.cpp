// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocolcounters.h"

ProtocolCounters &protocolCounters()
{
    static ProtocolCounters counters;
    return counters;
}
