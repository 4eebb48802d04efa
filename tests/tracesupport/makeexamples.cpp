// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the example traces of tests/data: one session of each family
// against the scripted ECU, on a fake clock so the files come out the same
// every time. Usage: tavrix-trace-examples FOLDER

#include "examplesessions.h"

#include "trace/recording.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>

namespace {

qint64 fakeNs = 1000000000;

void record(const ExampleSession &s, const QString &folder)
{
    const QString path = QDir(folder).filePath(s.name + ".ktrace");
    if (!trace::startRecording(path, "tavrix-trace-examples", "2026-12-07T00:00:00Z"))
        std::exit(1);
    playSession(s, [](int ms) { fakeNs += qint64(ms) * 1000000; }, nullptr, s.name == "auto");
    trace::stopRecording();
    std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavrix-trace-examples FOLDER\n");
        return 2;
    }
    // Every call takes 10 us of fake time, so events keep their order.
    sim::setClock([] { return fakeNs += 10000; });
    sim::setSleeper([](sim::Nanos until) { fakeNs = std::max<sim::Nanos>(fakeNs, until); });
    trace::setRecordingClock([] { return fakeNs / 1000; });
    record(autoExample(), QString::fromLocal8Bit(argv[1]));
    record(kwpExample(), QString::fromLocal8Bit(argv[1]));
    return 0;
}
