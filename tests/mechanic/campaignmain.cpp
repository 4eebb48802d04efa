// SPDX-License-Identifier: GPL-3.0-or-later
// The random mechanic's long campaign (make mechanic-campaign):
//   tavrix-mechanic [auto|kwp] [--steps N] [--seed S] [--run-steps M] [--chart]
// prints every violation with the seed and step that replay it, then one
// summary line per family; exits 1 when anything was found.
#include "campaign.h"
#include "virtualtime.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdint>
#include <cstdio>

int main(int argc, char *argv[])
{
    VirtualTime::install();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    long steps = 10000000;
    long runSteps = 5000;
    std::uint64_t seed = 1;
    QList<mechanic::Family> families = {mechanic::Family::Auto, mechanic::Family::Kwp};
    mechanic::Options options;
    for (int i = 0; i < args.size(); ++i) {
        const QString next = args.value(i + 1);
        if (args[i] == "--steps")
            steps = next.toLong(), ++i;
        else if (args[i] == "--seed")
            seed = next.toULongLong(), ++i;
        else if (args[i] == "--run-steps")
            runSteps = next.toLong(), ++i;
        else if (args[i] == "--chart")
            options.chart = true;
        else if (args[i] == "auto")
            families = {mechanic::Family::Auto};
        else if (args[i] == "kwp")
            families = {mechanic::Family::Kwp};
        else {
            std::fprintf(stderr,
                         "usage: tavrix-mechanic [auto|kwp] [--steps N] [--seed S] "
                         "[--run-steps M] [--chart]\n");
            return 2;
        }
    }
    long violations = 0;
    for (mechanic::Family family : families) {
        QElapsedTimer clock;
        clock.start();
        const mechanic::CampaignResult result =
            mechanic::campaign(family, steps, seed, runSteps, [](const QString &text) {
            std::fprintf(stdout, "VIOLATION %s\n", qPrintable(text));
            std::fflush(stdout);
        }, options);
        violations += result.violations;
        std::fprintf(stdout, "%s; %.0f s of wall time\n",
                     qPrintable(mechanic::summary(family, seed, result)), clock.elapsed() / 1000.0);
        std::fflush(stdout);
    }
    return violations == 0 ? 0 : 1;
}
