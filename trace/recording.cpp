// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/recording.h"

#include <QDir>
#include <QStandardPaths>

#include <cstdlib>
#include <memory>

namespace trace {

namespace {

std::unique_ptr<TraceWriter> &active()
{
    static std::unique_ptr<TraceWriter> writer;
    return writer;
}

TraceWriter *&activePointer()
{
    static TraceWriter *pointer = nullptr;
    return pointer;
}

TraceWriter::Clock &nextClock()
{
    static TraceWriter::Clock clock;
    return clock;
}

TraceWriter::Reporter &nextReporter()
{
    static TraceWriter::Reporter reporter;
    return reporter;
}

CallListener &listener()
{
    static CallListener heard;
    return heard;
}

void stopAtExit()
{
    stopRecording();
}

} // namespace

QString programVersion()
{
    return QStringLiteral(TAVRIX_VERSION);
}

bool startRecording(const QString &path, const QString &program, const QString &startedUtc)
{
    stopRecording();
    auto writer = std::make_unique<TraceWriter>();
    if (nextClock())
        writer->setClock(nextClock());
    if (nextReporter())
        writer->setReporter(nextReporter());
    const QString started =
        startedUtc.isEmpty() ? QDateTime::currentDateTimeUtc().toString(Qt::ISODate) : startedUtc;
    if (!writer->open(path, program, programVersion(), started))
        return false;
    active() = std::move(writer);
    activePointer() = active().get();
    static bool hooked = false;
    if (!hooked)
        hooked = std::atexit(stopAtExit) == 0;
    return true;
}

TraceWriter *recording()
{
    TraceWriter *w = activePointer();
    return w && w->active() ? w : nullptr;
}

void flushRecording()
{
    if (TraceWriter *w = recording())
        w->flush();
}

void stopRecording()
{
    activePointer() = nullptr;
    if (active())
        active()->finish();
    active().reset();
}

void setCallListener(CallListener heard)
{
    listener() = std::move(heard);
}

bool callsHeard()
{
    return recording() || listener();
}

void noteCall(Event event)
{
    if (listener())
        listener()(event);
    if (TraceWriter *w = recording())
        w->record(std::move(event));
}

void setRecordingClock(TraceWriter::Clock clock)
{
    nextClock() = std::move(clock);
}

void setRecordingReporter(TraceWriter::Reporter reporter)
{
    nextReporter() = std::move(reporter);
}

QString defaultTraceName(const QDateTime &local)
{
    return local.toString("'tavrix-'yyyyMMdd-HHmmss'.ktrace'");
}

QString fileArgument(const QStringList &arguments)
{
    const QString first = arguments.value(1);
    return first.startsWith('-') ? QString() : first;
}

QString defaultRecordingPath(const QDateTime &local)
{
#ifdef Q_OS_WIN
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                      + QStringLiteral("/Tavrix"));
#else
    const QDir folder = QDir::current();
#endif
    return folder.filePath(defaultTraceName(local));
}

QString takeFileArgument(int &argc, char **argv)
{
    if (argc < 2 || !argv[1] || argv[1][0] == '-' || argv[1][0] == '\0')
        return QString();
    const QString path = QString::fromLocal8Bit(argv[1]);
    for (int i = 1; i + 1 <= argc; ++i)
        argv[i] = argv[i + 1];
    --argc;
    return path;
}

} // namespace trace
