// SPDX-License-Identifier: GPL-3.0-or-later
// The random mechanic against both ECU families (tests/mechanic): at least
// 10^5 steps each, on virtual time. A failure prints the seed and step that
// replay it:
//   TAVRIX_MECHANIC_SEED=<seed> TAVRIX_MECHANIC_STEPS=<steps> ./tst_mechanic auto
#include "mechanic/campaign.h"
#include "mechanic/randommechanic.h"

#include "virtualmain.h"
#include <QtTest>

using mechanic::Family;

namespace {
constexpr long kSteps = 100000;
constexpr long kRunSteps = 5000;
constexpr std::uint64_t kFirstSeed = 1;
constexpr int kChartRuns = 1;
// The chart redraws ten times a virtual second, about 2 ms each (far more
// under ASan): 2000 steps are ten virtual minutes, some 1300 chart acts.
constexpr long kChartSteps = 2000;

long envNumber(const char *name, long fallback)
{
    bool ok = false;
    const long value = qEnvironmentVariable(name).toLong(&ok);
    return ok ? value : fallback;
}
} // namespace

class TestMechanic : public QObject
{
    Q_OBJECT
private slots:
    void family_data()
    {
        QTest::addColumn<int>("family");
        QTest::newRow("auto") << int(Family::Auto);
        QTest::newRow("kwp") << int(Family::Kwp);
    }
    void family()
    {
        QFETCH(int, family);
        const long steps = envNumber("TAVRIX_MECHANIC_STEPS", kSteps);
        const auto seed = std::uint64_t(envNumber("TAVRIX_MECHANIC_SEED", long(kFirstSeed)));
        const mechanic::CampaignResult result =
            mechanic::campaign(Family(family), steps, seed, std::min(steps, kRunSteps),
                               [](const QString &violation) { qWarning().noquote() << violation; });
        qInfo().noquote() << mechanic::summary(Family(family), seed, result);
        QVERIFY2(result.violations == 0, qPrintable(result.firstViolation));
        QVERIFY(result.steps >= steps);
        QVERIFY(result.presses > 0 && result.checkKeys > 0);
    }

    // With the chart window open and worked meanwhile, the invariants hold,
    // the chart keeps to the cells, and the line is byte for byte and
    // moment for moment the line of the same run without it.
    void withTheChartOpen_data() { family_data(); }
    void withTheChartOpen()
    {
        QFETCH(int, family);
        for (int run = 0; run < kChartRuns; ++run) {
            const std::uint64_t seed = kFirstSeed + std::uint64_t(run);
            const long steps = envNumber("TAVRIX_MECHANIC_CHART_STEPS", kChartSteps);
            mechanic::Outcome plain, chart;
            {
                mechanic::RandomMechanic mechanic(Family(family), seed);
                plain = mechanic.run(steps);
            }
            {
                mechanic::RandomMechanic mechanic(Family(family), seed, {true});
                chart = mechanic.run(steps);
            }
            QVERIFY2(
                chart.violation.isEmpty(),
                qPrintable(QString("seed %1, step %2: %3\n  %4")
                               .arg(seed)
                               .arg(chart.violationStep)
                               .arg(chart.violation,
                                    chart.lastLog.mid(chart.lastLog.size() - 40).join("\n  "))));
            QVERIFY(plain.violation.isEmpty());
            QCOMPARE(chart.steps, steps);
            QVERIFY(chart.chartActs > 100);
            QCOMPARE(chart.presses, plain.presses);
            QCOMPARE(chart.checkKeys, plain.checkKeys);
            QCOMPARE(chart.lineHash, plain.lineHash);
        }
    }

    // Runs on which the long campaign once found a violation, kept as found.
    void foundByCampaigns_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<qulonglong>("seed");
        // Write errors cut the Auto CO login; resumed, it finished the
        // diagnosis login and checked item 1 (the KWP run switches to Auto).
        QTest::newRow("auto 3837") << int(Family::Auto) << 3837ULL;
        QTest::newRow("kwp 3837") << int(Family::Kwp) << 3837ULL;
        // A late reading's first bytes taken for the answer to identify: the
        // acknowledging action key checked the item the ECU stood on.
        QTest::newRow("auto 4446") << int(Family::Auto) << 4446ULL;
        QTest::newRow("kwp 4446") << int(Family::Kwp) << 4446ULL;
    }
    void foundByCampaigns()
    {
        QFETCH(int, family);
        QFETCH(qulonglong, seed);
        const mechanic::CampaignResult result =
            mechanic::campaign(Family(family), kRunSteps, seed, kRunSteps,
                               [](const QString &violation) { qWarning().noquote() << violation; });
        QVERIFY2(result.violations == 0, qPrintable(result.firstViolation));
        QCOMPARE(result.steps, kRunSteps);
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestMechanic)
#include "tst_mechanic.moc"

#include <cstdint>
