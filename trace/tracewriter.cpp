// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/tracewriter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace trace {

qint64 steadyMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void reportToConsoleAndLog(const QString &message)
{
    // The console line names the program, as a tool's error does; the log
    // line is the message alone.
    const QString program = QCoreApplication::instance() ? QCoreApplication::applicationName()
                                                         : QStringLiteral("ktrace");
    std::fprintf(stderr, "%s: %s\n", qPrintable(program), qPrintable(message));
    std::fflush(stderr);
    qDebug().noquote() << message;
}

TraceWriter::TraceWriter() : clock_(steadyMicros), reporter_(reportToConsoleAndLog) {}

TraceWriter::~TraceWriter()
{
    finish();
}

qint64 TraceWriter::now() const
{
    return clock_() - startUs_;
}

bool TraceWriter::open(const QString &path, const QString &program, const QString &version,
                       const QString &startedUtc)
{
    finish();
    path_ = path;
#ifdef Q_OS_WIN
    // The name in full: the ANSI code page that fopen would go through
    // cannot hold every name a user or a Documents folder may have.
    file_ = _wfopen(reinterpret_cast<const wchar_t *>(path.utf16()), L"wb");
#else
    file_ = std::fopen(QFile::encodeName(path).constData(), "wb");
#endif
    if (!file_) {
        reporter_(QString("recording off: cannot create %1: %2; the session goes on unrecorded")
                      .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    startUs_ = clock_();
    lastFlushUs_ = lastUs_ = 0;
    buffer_ = headerLine(program, version, startedUtc);
    flush();
    return active();
}

void TraceWriter::record(Event event)
{
    if (!file_)
        return;
    // Never let a clock step backwards reach the file: the reader rejects it.
    event.us = qMax(now(), lastUs_);
    lastUs_ = event.us;
    appendLine(buffer_, event);
    flushIfDue();
}

void TraceWriter::flushIfDue()
{
    if (file_ && (buffer_.size() >= FlushAtBytes || now() - lastFlushUs_ >= FlushEveryUs))
        flush();
}

void TraceWriter::flush()
{
    if (!file_)
        return;
    lastFlushUs_ = now();
    if (buffer_.isEmpty())
        return;
    const size_t want = size_t(buffer_.size());
    errno = 0;
    bool ok = std::fwrite(buffer_.constData(), 1, want, file_) == want;
    int error = errno;
    buffer_.clear();
    if (ok && std::fflush(file_) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok)
        fail("write", error != 0 ? error : EIO);
}

void TraceWriter::fail(const QString &what, int error)
{
    std::fclose(file_);
    file_ = nullptr;
    buffer_.clear();
    reporter_(QString("recording stopped: cannot %1 %2: %3; the session goes on unrecorded")
                  .arg(what, path_, QString::fromLocal8Bit(std::strerror(error))));
}

void TraceWriter::finish()
{
    if (!file_)
        return;
    Event end;
    end.kind = Kind::End;
    record(end);
    flush();
    if (file_ && std::fclose(file_) != 0) {
        file_ = nullptr;
        reporter_(QString("recording stopped: cannot close %1: %2; the last second may be lost")
                      .arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
    }
    file_ = nullptr;
}

} // namespace trace
