// SPDX-License-Identifier: GPL-3.0-or-later
#include "logqueue.h"

#include <utility>

LogQueue::LogQueue(std::size_t capacity) : capacity(capacity) {}

bool LogQueue::push(std::string line)
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (entries.size() >= capacity) {
            ++pending;
            ++total;
            return false;
        }
        entries.push_back({pending, std::move(line)});
        pending = 0;
    }
    ready.notify_one();
    return true;
}

bool LogQueue::pop(std::string &text)
{
    std::unique_lock<std::mutex> lock(mutex);
    ready.wait(lock, [this] { return !entries.empty() || closed; });
    if (entries.empty()) {
        if (pending == 0)
            return false;
        text = notice(pending); // lines lost at the very end
        pending = 0;
        return true;
    }
    Entry entry = std::move(entries.front());
    entries.pop_front();
    lock.unlock();
    text = entry.droppedBefore ? notice(entry.droppedBefore) + entry.line : std::move(entry.line);
    return true;
}

void LogQueue::close()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        closed = true;
    }
    ready.notify_all();
}

std::uint64_t LogQueue::dropped() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return total;
}

std::string LogQueue::notice(std::uint64_t count)
{
    return "[... " + std::to_string(count) + " baris log tidak ditampilkan ...]\r\n";
}
