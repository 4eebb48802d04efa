// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CAMPAIGN_H
#define CAMPAIGN_H

// Runs of the random mechanic, one seed after another: what the test suite
// and the long campaign share.

#include "mechanicbike.h"
#include "randommechanic.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace mechanic {

struct CampaignResult {
    long steps = 0;
    long runs = 0;
    long violations = 0;
    long presses = 0;
    long checkKeys = 0;
    long clears = 0;
    long settles = 0;
    long troubles = 0;
    long virtualSeconds = 0;
    // Every run's line (each byte written and its time) folded into one
    // number: a change that should leave the line as it was leaves this.
    quint64 lineDigest = 14695981039346656037ULL;
    QString firstViolation; // with the seed and step that replay it
};

// `steps` steps in runs of `runSteps`, seeds firstSeed, firstSeed + 1, ...
// `report` hears every violation as it is found (text with seed and step).
CampaignResult campaign(Family family, long steps, std::uint64_t firstSeed, long runSteps,
                        const std::function<void(const QString &)> &report, Options options = {});

QString summary(Family family, std::uint64_t firstSeed, const CampaignResult &result);

} // namespace mechanic

#endif // CAMPAIGN_H
