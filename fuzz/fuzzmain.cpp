// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzzmain.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

// A bare run (libFuzzer's own leak check, as OSS-Fuzz runs a target) must
// not stop at what Qt's offscreen platform and fontconfig allocate once and
// keep for the process; nothing of ours is named here.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:QPlatformScreen::QPlatformScreen\n"
           "leak:QOffscreenIntegration\n";
}

namespace fuzzdrive {

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

void initApplication()
{
    static int argc = 1;
    static char name[] = "tavrix-fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    qInstallMessageHandler(quiet);
    useVirtualClock();
}

Driver &driver(Family family)
{
    static Driver *one = new Driver(family); // lives as long as the process
    return *one;
}

bool writeSeedsIfAsked(Family family)
{
    const QString dir = qEnvironmentVariable("TAVRIX_FUZZ_SEEDS");
    if (dir.isEmpty())
        return false;
    QDir().mkpath(dir);
    const std::vector<std::vector<std::uint8_t>> seeds = driver(family).recordSeeds(1500);
    const std::vector<State> &all = states(family);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        if (seeds[i].empty())
            continue;
        QFile file(dir + "/" + all[i].name);
        if (file.open(QIODevice::WriteOnly))
            file.write(reinterpret_cast<const char *>(seeds[i].data()), qint64(seeds[i].size()));
    }
    std::exit(0);
}

} // namespace fuzzdrive
