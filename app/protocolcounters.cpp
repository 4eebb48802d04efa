#include "protocolcounters.h"

ProtocolCounters &protocolCounters()
{
    static ProtocolCounters counters;
    return counters;
}
