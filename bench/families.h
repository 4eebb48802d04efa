// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_FAMILIES_H
#define BENCH_FAMILIES_H

// The measured runs: the wake-up pulses, and for each ECU family the table
// of a 25-item ECU followed by the polling of one selected value.

#include <string>
#include <vector>

namespace bench {

struct PulseResult {
    std::vector<double> windowErrorMs; // cable's DTR low time - loginPulseMs
    std::vector<double> sleepErrorMs;  // the same pulse timed by sleep_for
    std::vector<double> spinErrorMs;   // ... and by spinning all through it
    // How long the scheduler kept the thread waiting (runnable, not
    // running) during each pulse, in the same order.
    std::vector<double> windowWaitMs, sleepWaitMs, spinWaitMs;
    // From DTR going high at the end of the window's pulse to the first
    // byte of StartCommunication.
    std::vector<double> startAfterPulseMs;
    // From DTR going low to that byte: ISO 14230's wake-up pattern, TWuP.
    std::vector<double> wakeUpPatternMs;
    // The same two when the cable hears its own pulse as a break (a 0x00
    // byte waiting at the read that throws the line's bytes away).
    std::vector<double> startWithByteMs, wakeUpWithByteMs;
};

struct PollResult {
    std::vector<double> overrunMs;       // per exchange, read called, against its fixed wait
    std::vector<double> returnOverrunMs; // ... read returned
    std::vector<double> tickPeriodMs;    // from one tick's end to the next
    std::vector<double> p3Ms;            // KWP: ECU answer's end to the next request
    std::vector<double> cpuPerWall;      // per second of polling
    std::vector<double> residentKiB;     // sampled each second
    std::vector<double> ticksAt;         // tick count at each sample
    int ticks = 0;
    double seconds = 0;
    std::string simNote; // what the simulated ECU itself kept meanwhile
    int chartRedraws = 0;
};

struct TableResult {
    bool ok = false;
    std::string failure;
    int rows = 0;
    int ticks = 0;
    int exchanges = 0;
    double measuredMs = 0;
    double prescribedMs = 0;            // timer periods and fixed waits
    double floorMs = 0;                 // the same bytes at the line rate
    std::vector<double> tableOverrunMs; // exchanges while the table is built
    std::vector<double> tableReturnOverrunMs;
    std::vector<double> tableTickPeriodMs;
    std::vector<double> tableP3Ms;         // KWP
    std::vector<double> startAfterPulseMs; // KWP: DTR high to StartCommunication
    PollResult poll;
    PollResult chartPoll; // the same polling again with the chart window open
};

PulseResult runPulses(int logins);
void runPulsesWithBreakByte(int logins, PulseResult &into);
TableResult runAuto(int pollSeconds);
TableResult runKwp(int pollSeconds);

std::vector<double> runStartups(int count, const char *self);
int startupChild(int argc, char **argv, long long forkedAtNs);

// Growth of `y` per 1000 of `x` from the first to the last third of the
// samples, ignoring the first `skip` (start-up of caches and pools).
double growthPerThousand(const std::vector<double> &x, const std::vector<double> &y,
                         std::size_t skip);

} // namespace bench

#endif // BENCH_FAMILIES_H
