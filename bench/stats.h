// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_STATS_H
#define BENCH_STATS_H

// Sample sets and the one table the bench prints: every figure with its
// sample count, median, 99th percentile and maximum.

#include <string>
#include <vector>

namespace bench {

struct Figure {
    std::size_t n = 0;
    double median = 0, p99 = 0, max = 0;
};

Figure summarize(std::vector<double> samples);

struct Row {
    std::string what; // what was measured
    std::string unit;
    Figure figure;
    std::string target;  // the target, or the figure it is compared with
    std::string verdict; // "ok", "MISSED" or "" when there is no target
};

class Table
{
public:
    void add(Row row) { rows_.push_back(std::move(row)); }
    void note(std::string line) { notes_.push_back(std::move(line)); }
    void print() const;

private:
    std::vector<Row> rows_;
    std::vector<std::string> notes_;
};

std::string format(const char *fmt, double value);
std::string verdict(bool met);

} // namespace bench

#endif // BENCH_STATS_H
