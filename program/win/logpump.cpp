// SPDX-License-Identifier: GPL-3.0-or-later
#include "logpump.h"

#include <cstdio>
#include <utility>

#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace {
constexpr DWORD kPipeBytes = 64 * 1024;
constexpr std::size_t kLongestLine = 64 * 1024; // a longer one is cut
constexpr DWORD kReaderEndMs = 2000;            // for the last bytes once every write end is closed
} // namespace

LogPump::LogPump(void *to, std::size_t lines) : queue(lines)
{
    const HANDLE self = GetCurrentProcess();
    HANDLE ourOut = nullptr, readEnd = nullptr, writeEnd = nullptr;
    if (!DuplicateHandle(self, to, self, &ourOut, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, kPipeBytes)) {
        CloseHandle(ourOut);
        return;
    }
    // The C runtime (Qt's messages, libusb's and ours: one msvcrt) writes to
    // descriptor 2, Windows' own callers to STD_ERROR_HANDLE: both to the pipe.
    const int pipeFd = _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_TEXT | _O_WRONLY);
    if (pipeFd < 0) {
        CloseHandle(writeEnd);
        CloseHandle(readEnd);
        CloseHandle(ourOut);
        return;
    }
    out = ourOut;
    pipeRead = readEnd;
    std::fflush(stderr);
    savedFd = _dup(2);
    _dup2(pipeFd, 2);
    _close(pipeFd); // descriptor 2 holds its own duplicate
    SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(2)));
    writer = CreateThread(nullptr, 0, writeLines, this, 0, nullptr);
    reader = CreateThread(nullptr, 0, readLines, this, 0, nullptr);
}

LogPump::~LogPump()
{
    if (!reader) {
        if (out)
            CloseHandle(out);
        return;
    }
    // Every write end closed: the reader meets the pipe's end.
    std::fflush(stderr);
    if (savedFd >= 0) {
        _dup2(savedFd, 2);
        _close(savedFd);
        SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(2)));
    } else {
        _close(2);
    }
    if (WaitForSingleObject(reader, kReaderEndMs) != WAIT_OBJECT_0) {
        // A write end lives on elsewhere (inherited): stop reading anyway.
        CancelSynchronousIo(reader);
        WaitForSingleObject(reader, kReaderEndMs);
    }
    queue.close();
    WaitForSingleObject(writer, INFINITE);
    CloseHandle(reader);
    CloseHandle(writer);
    CloseHandle(pipeRead);
    CloseHandle(out);
}

unsigned long __stdcall LogPump::readLines(void *data)
{
    auto *pump = static_cast<LogPump *>(data);
    std::string partial;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pump->pipeRead, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        partial.append(buffer, got);
        std::size_t start = 0;
        for (std::size_t end; (end = partial.find('\n', start)) != std::string::npos;
             start = end + 1)
            pump->queue.push(partial.substr(start, end + 1 - start));
        partial.erase(0, start);
        if (partial.size() >= kLongestLine) {
            pump->queue.push(std::move(partial));
            partial.clear();
        }
    }
    if (!partial.empty())
        pump->queue.push(std::move(partial));
    pump->queue.close();
    return 0;
}

unsigned long __stdcall LogPump::writeLines(void *data)
{
    auto *pump = static_cast<LogPump *>(data);
    std::string text;
    while (pump->queue.pop(text)) {
        const char *at = text.data();
        DWORD left = DWORD(text.size()), wrote = 0;
        // A failed write (the console gone) drops the text, never the loop:
        // the reader must find room for what comes.
        while (left > 0 && WriteFile(pump->out, at, left, &wrote, nullptr) && wrote > 0) {
            at += wrote;
            left -= wrote;
        }
    }
    return 0;
}
