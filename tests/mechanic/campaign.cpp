// SPDX-License-Identifier: GPL-3.0-or-later
#include "campaign.h"

#include "randommechanic.h"

#include <cstdint>

namespace mechanic {

namespace {
int logLinesShown()
{
    bool ok = false;
    const int lines = qEnvironmentVariableIntValue("TAVRIX_MECHANIC_LOG", &ok);
    return ok ? lines : 40;
}
} // namespace

CampaignResult campaign(Family family, long steps, std::uint64_t firstSeed, long runSteps,
                        const std::function<void(const QString &)> &report, Options options)
{
    CampaignResult result;
    for (std::uint64_t seed = firstSeed; result.steps < steps; ++seed) {
        const long want = std::min(runSteps, steps - result.steps);
        RandomMechanic mechanic(family, seed, options);
        const Outcome out = mechanic.run(want);
        ++result.runs;
        result.steps += out.steps;
        result.presses += out.presses;
        result.checkKeys += out.checkKeys;
        result.clears += out.clears;
        result.settles += out.settles;
        result.troubles += out.troubles;
        result.virtualSeconds += out.virtualSeconds;
        result.lineDigest ^= out.lineHash;
        result.lineDigest *= 1099511628211ULL;
        if (out.violation.isEmpty())
            continue;
        ++result.violations;
        QString text = QString(
                           "%1 seed %2, step %3 of %4: %5\nreplay: family %1, seed %2, %4 steps\n"
                           "the tool's last log lines:\n  ")
                           .arg(family == Family::Auto ? "auto" : "kwp")
                           .arg(seed)
                           .arg(out.violationStep)
                           .arg(want)
                           .arg(out.violation);
        text +=
            out.lastLog.mid(std::max(0, int(out.lastLog.size()) - logLinesShown())).join("\n  ");
        if (result.firstViolation.isEmpty())
            result.firstViolation = text;
        report(text);
    }
    return result;
}

QString summary(Family family, std::uint64_t firstSeed, const CampaignResult &r)
{
    return QString(
               "%1: %2 steps in %3 runs (seeds %4..%5), %6 violations; %7 Action presses, "
               "%8 check keys and %9 clears answered, %10 settles, %11 troubles, %12 virtual hours; "
               "line digest %13")
        .arg(family == Family::Auto ? "auto" : "kwp")
        .arg(r.steps)
        .arg(r.runs)
        .arg(firstSeed)
        .arg(firstSeed + std::uint64_t(r.runs) - 1)
        .arg(r.violations)
        .arg(r.presses)
        .arg(r.checkKeys)
        .arg(r.clears)
        .arg(r.settles)
        .arg(r.troubles)
        .arg(double(r.virtualSeconds) / 3600.0, 0, 'f', 1)
        .arg(r.lineDigest, 16, 16, QLatin1Char('0'));
}

} // namespace mechanic
