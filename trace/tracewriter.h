// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TRACEWRITER_H
#define TRACEWRITER_H

// Writes a .ktrace recording through a buffer. The buffer goes to disk when
// it is a second old or 64 KiB big, on flush() and at finish(), so a crash
// loses at most the last second. A write that fails (disk full, folder gone)
// reports once and turns the writer off: the session it records goes on.

#include "trace/traceevent.h"

#include <cstdio>
#include <functional>

namespace trace {

class TraceWriter
{
public:
    using Clock = std::function<qint64()>; // monotonic microseconds
    using Reporter = std::function<void(const QString &)>;

    TraceWriter();
    ~TraceWriter();
    TraceWriter(const TraceWriter &) = delete;
    TraceWriter &operator=(const TraceWriter &) = delete;

    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setReporter(Reporter reporter) { reporter_ = std::move(reporter); }

    // Creates the file and writes the header; false (and reported) on failure.
    bool open(const QString &path, const QString &program, const QString &version,
              const QString &startedUtc);
    bool active() const { return file_ != nullptr; }
    QString path() const { return path_; }

    // Stamps the event with the time since open() and queues its line.
    void record(Event event);
    void flushIfDue();
    void flush();
    // Writes the end mark, flushes and closes.
    void finish();

    static constexpr qint64 FlushEveryUs = 1000000;
    static constexpr int FlushAtBytes = 64 * 1024;

private:
    qint64 now() const;
    void fail(const QString &what, int error);

    Clock clock_;
    Reporter reporter_;
    std::FILE *file_ = nullptr;
    QString path_;
    QByteArray buffer_;
    qint64 startUs_ = 0;
    qint64 lastFlushUs_ = 0;
    qint64 lastUs_ = 0;
};

// The default reporter: the console and the diagnostic log.
void reportToConsoleAndLog(const QString &message);

qint64 steadyMicros();

} // namespace trace

#endif // TRACEWRITER_H
