// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

Figure summarize(std::vector<double> samples)
{
    Figure f;
    f.n = samples.size();
    if (samples.empty())
        return f;
    std::sort(samples.begin(), samples.end());
    const std::size_t mid = samples.size() / 2;
    f.median = samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
    // Nearest rank: the smallest sample at or above 99 % of them.
    const std::size_t rank = std::size_t(std::ceil(0.99 * double(samples.size())));
    f.p99 = samples[std::max<std::size_t>(rank, 1) - 1];
    f.max = samples.back();
    return f;
}

std::string format(const char *fmt, double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

std::string verdict(bool met)
{
    return met ? "ok" : "MISSED";
}

void Table::print() const
{
    std::printf("\n%-46s %-8s %6s %10s %10s %10s  %-26s %s\n", "figure", "unit", "n", "median",
                "p99", "max", "target / against", "");
    std::printf("%s\n", std::string(128, '-').c_str());
    for (const Row &r : rows_) {
        std::printf("%-46s %-8s %6zu %10.3f %10.3f %10.3f  %-26s %s\n", r.what.c_str(),
                    r.unit.c_str(), r.figure.n, r.figure.median, r.figure.p99, r.figure.max,
                    r.target.c_str(), r.verdict.c_str());
    }
    for (const std::string &line : notes_)
        std::printf("  %s\n", line.c_str());
    std::fflush(stdout);
}

} // namespace bench
