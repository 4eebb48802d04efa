// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FUZZDRIVER_H
#define FUZZDRIVER_H

// Feeds arbitrary reply bytes to the protocol cycles of both families.
//
// An input is: one byte choosing the session state, one byte of detail (the
// row to follow), then replies, each a length byte and that many bytes. The
// simulated ECU answers every request (an Auto key byte, a whole KWP frame)
// with the next reply at once; when the input runs out the ECU goes silent
// and the run ends after that tick.
//
// The states are set up directly in a new cycle (table rows, counters,
// session state) rather than reached over a login, so that each run is a
// few ticks only.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class MainWindow;
class MainWindowProbe;

namespace fuzzdrive {

enum class Family { Auto, Kwp };

struct State {
    const char *name;
    bool co; // the CO cycle's slot, not the table's
    void (*setup)(MainWindowProbe &probe, MainWindow &window, int detail);
};
const std::vector<State> &states(Family family);

// Cable clock for a harness: delay() advances it instead of waiting.
void useVirtualClock();
void advanceClock(int ms);

// One window, reused by every run of a family.
class Driver
{
public:
    explicit Driver(Family family);
    ~Driver();
    void run(const std::uint8_t *data, std::size_t size);
    // Seeds: runs a real simulated ECU from power-up and returns, for each
    // state, its selector followed by the replies it gave from the first
    // tick in that state on.
    std::vector<std::vector<std::uint8_t>> recordSeeds(int ticks);

private:
    void prepare(bool co);
    bool tick(bool co);
    Family family_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<MainWindowProbe> probe_;
};

} // namespace fuzzdrive

#endif // FUZZDRIVER_H
