// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LOGPUMP_H
#define LOGPUMP_H

#include "logqueue.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Standard error through a pipe, so that writing the log never waits on the
// console: Windows' console blocks every write while text is selected in
// it, and the log is written from the GUI thread, in the middle of the
// K-line's exchanges. The process's standard error (the C runtime's and
// Windows') becomes the pipe's write end; one thread drains the pipe into
// a bounded queue of lines at once, another writes the queue to `out`,
// however long that takes. Windows only.
class LogPump
{
public:
    static constexpr std::size_t kLines = 4096; // about half a minute of a busy log

    // `out`: a HANDLE to write the log to (the console).
    explicit LogPump(void *out, std::size_t lines = kLines);
    // Standard error back to `out`, then every line queued written to it
    // (this waits for `out`).
    ~LogPump();
    LogPump(const LogPump &) = delete;
    LogPump &operator=(const LogPump &) = delete;

    bool running() const { return reader != nullptr; }
    std::uint64_t dropped() const { return queue.dropped(); }

private:
    static unsigned long __stdcall readLines(void *pump);
    static unsigned long __stdcall writeLines(void *pump);

    LogQueue queue;
    void *out = nullptr;      // ours: a duplicate of the caller's handle
    void *pipeRead = nullptr; // the reader thread's end
    int savedFd = -1;         // the C runtime's standard error before us
    void *reader = nullptr;
    void *writer = nullptr;
};

#endif // LOGPUMP_H
