// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LOGQUEUE_H
#define LOGQUEUE_H

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

// The log lines between the thread that drains the program's standard error
// and the thread that writes them to the console. Bounded: while the
// console takes nothing (text selected in it), further lines are dropped
// and counted, and the program never waits; the count is written where
// the lines went missing.
class LogQueue
{
public:
    explicit LogQueue(std::size_t capacity);

    // Never waits. False: the queue was full and the line was dropped.
    bool push(std::string line);
    // Waits for the next text to write: a line, after the notice of the
    // lines dropped before it. False once closed and all is written.
    bool pop(std::string &text);
    // No more lines come: pop() hands out what is left, then ends.
    void close();
    std::uint64_t dropped() const;

    // "[... 12 baris log tidak ditampilkan ...]" with its line end.
    static std::string notice(std::uint64_t count);

private:
    struct Entry {
        std::uint64_t droppedBefore;
        std::string line;
    };
    const std::size_t capacity;
    mutable std::mutex mutex;
    std::condition_variable ready;
    std::deque<Entry> entries;
    std::uint64_t pending = 0; // dropped since the last line queued
    std::uint64_t total = 0;
    bool closed = false;
};

#endif // LOGQUEUE_H
