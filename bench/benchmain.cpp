// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-bench: timing fidelity, cost and memory of the real window over the
// simulated bike. Prints one table; bench/README.md explains the figures.
// Usage: tavrix-bench [--poll-seconds N] [--logins N] [--startups N] [--log]
//   --poll-seconds  polling time per family for CPU and memory (default 60)
//   --logins        KWP logins for the wake-up pulse (default 100)
//   --startups      program starts timed (default 10)
//   --log           keep the window's debug log on stderr (default: /dev/null)

#include "bench/families.h"
#include "bench/harness.h"
#include "bench/stats.h"

#include "journal/sessionjournal.h"

#include <QApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace bench;

namespace {

struct Options {
    int pollSeconds = 60;
    int logins = 100;
    int startups = 10;
    bool log = false;
};

Options parse(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--poll-seconds") && more)
            o.pollSeconds = std::max(2, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--logins") && more)
            o.logins = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--startups") && more)
            o.startups = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--log"))
            o.log = true;
    }
    return o;
}

#ifdef Q_OS_WIN
constexpr const char *kNullDevice = "NUL";
#else
constexpr const char *kNullDevice = "/dev/null";
#endif

std::string loadAverage()
{
    std::ifstream in(procFile("/proc/loadavg"));
    std::string one, five, fifteen;
    if (!(in >> one >> five >> fifteen))
        return "unknown";
    return one + " " + five + " " + fifteen;
}

void progress(const char *what)
{
    std::printf("[%s] %s (load %s)\n", what, "running", loadAverage().c_str());
    std::fflush(stdout);
}

Figure single(double value)
{
    return summarize({value});
}

// The pulses the scheduler never kept waiting: what the code itself does.
std::vector<double> unhindered(const std::vector<double> &errors, const std::vector<double> &waits)
{
    std::vector<double> out;
    for (std::size_t i = 0; i < errors.size() && i < waits.size(); ++i) {
        if (waits[i] < 0.05)
            out.push_back(errors[i]);
    }
    return out;
}

std::string waitedNote(const char *what, const std::vector<double> &waits)
{
    if (!waits.empty() && std::isnan(waits.front()))
        return std::string(what) + ": the scheduler's waits cannot be read here";
    const Figure f = summarize(waits);
    std::size_t kept = 0;
    for (double w : waits)
        kept += w >= 0.05 ? 1 : 0;
    return std::string(what) + ": " + std::to_string(kept) + " of " + std::to_string(f.n)
           + " pulses kept waiting >=0.05 ms by the scheduler (wait median "
           + format("%.3f", f.median) + ", p99 " + format("%.3f", f.p99) + ", max "
           + format("%.3f ms)", f.max);
}

void addPulses(Table &t, const PulseResult &p)
{
    const Figure w = summarize(p.windowErrorMs), s = summarize(p.sleepErrorMs);
    t.add({"1 pulse error, window (delay_login)", "ms", w, "<=0.1 med, <=0.5 p99",
           verdict(w.n >= 50 && w.median <= 0.1 && w.p99 <= 0.5)});
    const bool tenTimes = s.median >= 10 * w.median && s.p99 >= 10 * w.p99;
    t.add({"1 pulse error, sleep_for baseline", "ms", s,
           format("window 1/%.0f med", w.median > 0 ? s.median / w.median : 0), verdict(tenTimes)});
    t.add({"1 pulse error, spin only (for comparison)", "ms", summarize(p.spinErrorMs),
           "the whole pulse spun", ""});
    const bool waitsKnown = p.windowWaitMs.empty() || !std::isnan(p.windowWaitMs.front());
    if (waitsKnown) {
        const Figure wu = summarize(unhindered(p.windowErrorMs, p.windowWaitMs));
        t.add({"1 pulse error, window, never kept waiting", "ms", wu, "<=0.1 med, <=0.5 p99",
               verdict(wu.n > 0 && wu.median <= 0.1 && wu.p99 <= 0.5)});
        t.add({"1 pulse error, sleep_for, never kept waiting", "ms",
               summarize(unhindered(p.sleepErrorMs, p.sleepWaitMs)), "", ""});
    }
    t.note(waitedNote("window", p.windowWaitMs));
    t.note(waitedNote("sleep_for", p.sleepWaitMs));
    t.note(waitedNote("spin only", p.spinWaitMs));
}

void addOverrun(Table &t, const char *what, const std::vector<double> &ms)
{
    const Figure f = summarize(ms);
    t.add({what, "ms", f, "<=1 med", verdict(f.n > 0 && f.median <= 1.0)});
}

// How late each read returned beyond its wait (the adapter's own time).
void addReturn(Table &t, const char *what, const std::vector<double> &ms)
{
    t.add({what, "ms", summarize(ms), "", ""});
}

void addPeriod(Table &t, const char *what, const std::vector<double> &ms, const char *against)
{
    t.add({what, "ms", summarize(ms), against, ""});
}

double minimum(const std::vector<double> &samples)
{
    return samples.empty() ? 0 : *std::min_element(samples.begin(), samples.end());
}

// The KWP waits that ISO 14230-2 bounds, as the line shows them.
void addKwpWaits(Table &t, const PulseResult &p, const TableResult &kwp)
{
    const Figure start = summarize(p.startAfterPulseMs);
    t.add({"8 KWP StartComm after DTR high", "ms", start,
           format("min %.2f; window waits 25", minimum(p.startAfterPulseMs)), ""});
    const Figure wup = summarize(p.wakeUpPatternMs);
    const double wupMin = minimum(p.wakeUpPatternMs);
    t.add({"8 KWP wake-up pattern TWuP (DTR low to it)", "ms", wup,
           format("min %.2f; ISO 50 +-1", wupMin),
           verdict(wup.n > 0 && wupMin >= 49 && wup.max <= 51)});
    const Figure withByte = summarize(p.wakeUpWithByteMs);
    const double withByteMin = minimum(p.wakeUpWithByteMs);
    t.add({"8 KWP TWuP, a break byte waiting", "ms", withByte,
           format("min %.2f; ISO 50 +-1", withByteMin),
           verdict(withByte.n > 0 && withByteMin >= 49 && withByte.max <= 51)});
    std::vector<double> p3 = kwp.tableP3Ms;
    p3.insert(p3.end(), kwp.poll.p3Ms.begin(), kwp.poll.p3Ms.end());
    const Figure f = summarize(p3);
    const double p3Min = minimum(p3);
    t.add({"8 KWP P3 (answer end to next request)", "ms", f,
           format("min %.1f; ISO 55..5000", p3Min),
           verdict(f.n > 0 && p3Min >= 55 && f.max <= 5000)});
}

void addTable(Table &t, const char *family, const TableResult &r)
{
    const std::string name = std::string("3 full table, ") + family;
    const double ratio = r.prescribedMs > 0 ? r.measuredMs / r.prescribedMs : 0;
    t.add({name + " (" + std::to_string(r.rows) + " rows)", "ms", single(r.measuredMs),
           format("prescribed %.0f ms", r.prescribedMs), ""});
    t.add({name + ", ratio to prescribed", "x", single(ratio), "<=1.03",
           verdict(ratio > 0 && ratio <= 1.03)});
    t.add({name + ", physical floor", "ms", single(r.floorMs),
           format("%.1f %% of measured", r.measuredMs > 0 ? 100 * r.floorMs / r.measuredMs : 0),
           ""});
}

void addCost(Table &t, const char *family, const PollResult &p)
{
    std::vector<double> percent;
    for (double c : p.cpuPerWall)
        percent.push_back(100 * c);
    const Figure cpu = summarize(percent);
    t.add({std::string("4 CPU while polling, ") + family, "% core", cpu, "<2 %",
           verdict(cpu.n > 0 && cpu.median < 2.0)});
    std::vector<double> mib;
    for (double k : p.residentKiB)
        mib.push_back(k / 1024);
    const Figure rss = summarize(mib);
    t.add({std::string("5 resident memory, ") + family, "MiB", rss, "<40 MiB",
           verdict(rss.n > 0 && rss.max < 40)});
    const std::size_t skip = p.ticksAt.size() / 5; // caches settle first
    Figure growth = single(growthPerThousand(p.ticksAt, p.residentKiB, skip));
    growth.n = p.ticksAt.size() > skip ? p.ticksAt.size() - skip : 0;
    // Resident memory moves in 4 KiB pages: over the whole run, less than
    // four of them counts as no growth.
    const double total = growth.median * p.ticks / 1000;
    t.add({std::string("5 resident growth, ") + family, "KiB/1k", growth,
           std::to_string(p.ticks) + format(" ticks, %+.0f KiB", total), verdict(total < 16)});
}

// The chart window open against closed, over the same polling.
void addChartCost(Table &t, const char *family, const PollResult &closed, const PollResult &open)
{
    const auto percent = [](const PollResult &p) {
        std::vector<double> out;
        for (double c : p.cpuPerWall)
            out.push_back(100 * c);
        return summarize(out);
    };
    const Figure cpuClosed = percent(closed), cpuOpen = percent(open);
    t.add({std::string("7 CPU, chart open, ") + family, "% core", cpuOpen,
           format("%.0f redraws", open.chartRedraws), ""});
    const double cpuRatio = cpuClosed.median > 0 ? cpuOpen.median / cpuClosed.median : 0;
    t.add({std::string("7 CPU, chart open / closed, ") + family, "x", single(cpuRatio),
           format("%.3f", cpuOpen.median) + format(" / %.3f %%", cpuClosed.median), ""});
    const Figure rssClosed = summarize(closed.residentKiB), rssOpen = summarize(open.residentKiB);
    const double rssRatio = rssClosed.median > 0 ? rssOpen.median / rssClosed.median : 0;
    t.add({std::string("7 resident, chart open / closed, ") + family, "x", single(rssRatio),
           format("%.1f", rssOpen.median / 1024) + format(" / %.1f MiB", rssClosed.median / 1024),
           ""});
    const std::size_t skip = open.ticksAt.size() / 5;
    Figure growth = single(growthPerThousand(open.ticksAt, open.residentKiB, skip));
    growth.n = open.ticksAt.size() > skip ? open.ticksAt.size() - skip : 0;
    const double total = growth.median * open.ticks / 1000;
    t.add({std::string("7 resident growth, chart open, ") + family, "KiB/1k", growth,
           std::to_string(open.ticks) + format(" ticks, %+.0f KiB", total), verdict(total < 16)});
}

// What the session journal costs a tick and holds: an hour of values of one
// item at the fastest pace (the Auto session's 50 ms), recorded one by one.
void addJournalCost(Table &t)
{
    SessionJournal journal;
    qint64 ms = 0;
    journal.setClock([&ms] { return ms; }, QDateTime::currentDateTime());
    const double before = residentKiB();
    std::vector<double> perValueUs;
    const int values = SessionJournal::SamplesPerItem;
    const double start = wallSeconds();
    for (int i = 0; i < values; ++i) {
        ms += 50;
        const double at = wallSeconds();
        journal.valueShown(1, QStringLiteral("TPS"), QString::number(i % 128),
                           QStringLiteral("deg"));
        if (i % 100 == 0)
            perValueUs.push_back((wallSeconds() - at) * 1e6);
    }
    const double seconds = wallSeconds() - start;
    const Figure cost = summarize(perValueUs);
    t.add({"7 journal, one value recorded", "us", cost,
           format("mean %.2f us", seconds * 1e6 / values), verdict(cost.median < 50)});
    t.add({"7 journal, an hour of one item", "KiB", single(residentKiB() - before),
           std::to_string(values)
               + format(" values, %.0f bytes each", (residentKiB() - before) * 1024 / values),
           ""});
}

void failed(Table &t, const char *family, const TableResult &r)
{
    t.note(std::string(family) + ": " + (r.failure.empty() ? "no result" : r.failure));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && !std::strcmp(argv[1], "--startup-child"))
        return startupChild(argc, argv, std::atoll(argv[2]));
    const Options o = parse(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!o.log) {
        const int null = open(kNullDevice, O_WRONLY);
        if (null >= 0)
            dup2(null, STDERR_FILENO);
    }
    QApplication app(argc, argv);
    Table table;
    table.note("load at start: " + loadAverage());
    progress("pulses");
    PulseResult pulse = runPulses(o.logins);
    runPulsesWithBreakByte(std::min(o.logins, 20), pulse);
    table.note("after pulses: load " + loadAverage());
    progress("auto");
    const TableResult autoRun = runAuto(o.pollSeconds);
    table.note("after Auto: load " + loadAverage());
    progress("kwp");
    const TableResult kwpRun = runKwp(o.pollSeconds);
    table.note("after KWP: load " + loadAverage());
    progress("startup");
#ifdef Q_OS_WIN
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    const std::vector<double> startups = runStartups(o.startups, self.constData());
#else
    const std::vector<double> startups = runStartups(o.startups, "/proc/self/exe");
#endif
    table.note("after start-ups: load " + loadAverage());
    table.note("polling " + std::to_string(o.pollSeconds) + " s per family; peak resident "
               + format("%.1f MiB", peakResidentKiB() / 1024) + " (whole bench process)");

    addPulses(table, pulse);
    addOverrun(table, "2 overrun, Auto login tick (10 ms wait)", autoRun.tableOverrunMs);
    addOverrun(table, "2 overrun, Auto session tick (50 ms wait)", autoRun.poll.overrunMs);
    std::vector<double> kwpOverrun = kwpRun.tableOverrunMs;
    kwpOverrun.insert(kwpOverrun.end(), kwpRun.poll.overrunMs.begin(), kwpRun.poll.overrunMs.end());
    addOverrun(table, "2 overrun, KWP exchange (110 ms wait)", kwpOverrun);
    addReturn(table, "2 read returns, Auto login tick", autoRun.tableReturnOverrunMs);
    addReturn(table, "2 read returns, Auto session tick", autoRun.poll.returnOverrunMs);
    std::vector<double> kwpReturn = kwpRun.tableReturnOverrunMs;
    kwpReturn.insert(kwpReturn.end(), kwpRun.poll.returnOverrunMs.begin(),
                     kwpRun.poll.returnOverrunMs.end());
    addReturn(table, "2 read returns, KWP exchange", kwpReturn);
    addPeriod(table, "2 tick period, Auto login", autoRun.tableTickPeriodMs, "timer 30");
    addPeriod(table, "2 tick period, Auto session", autoRun.poll.tickPeriodMs, "wait 50");
    addPeriod(table, "2 tick period, KWP scan", kwpRun.tableTickPeriodMs, "2 x 110 + 110");
    addPeriod(table, "2 tick period, KWP polling", kwpRun.poll.tickPeriodMs, "110 + 110");
    addKwpWaits(table, pulse, kwpRun);
    if (autoRun.ok) {
        addTable(table, "Auto", autoRun);
        addCost(table, "Auto", autoRun.poll);
        addChartCost(table, "Auto", autoRun.poll, autoRun.chartPoll);
    } else {
        failed(table, "Auto", autoRun);
    }
    if (kwpRun.ok) {
        addTable(table, "KWP", kwpRun);
        addCost(table, "KWP", kwpRun.poll);
        addChartCost(table, "KWP", kwpRun.poll, kwpRun.chartPoll);
    } else {
        failed(table, "KWP", kwpRun);
    }
    if (!kwpRun.poll.simNote.empty())
        table.note(kwpRun.poll.simNote);
    addJournalCost(table);
    const Figure start = summarize(startups);
    table.add({"6 start-up to first painted window", "ms", start, "<=300",
               verdict(start.n > 0 && start.median <= 300)});
    table.print();
    return 0;
}
