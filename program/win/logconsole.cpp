// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/win/logconsole.h"

#include <QByteArray>

#include <cstdio>

#include <windows.h>

namespace {
// The console keeps this many lines to scroll back and copy: the most it
// allows, about a quarter of an hour of polling.
constexpr SHORT kScrollbackLines = 32766;

const char kHeader[] =
    "Tavrix (dengan log): log diagnosa tampil di sini selama program berjalan.\n"
    "Untuk mengirim: pilih teks dengan mouse (Ctrl+A memilih semuanya), salin dengan\n"
    "Enter atau Ctrl+C, lalu tempel (Ctrl+V) di e-mail atau pesan.\n\n";

const char kClosing[] =
    "\nJendela Tavrix sudah ditutup. Salin log di atas bila perlu,\n"
    "lalu tekan Enter untuk menutup jendela ini.\n";
} // namespace

LogConsole::LogConsole()
{
    // Qt's own switch: its debug output to standard error (the console, or a
    // file the user named with 2>) instead of the debugger.
    qputenv("QT_FORCE_STDERR_LOGGING", QByteArray("1"));
    // Ctrl+C is how the mechanic copies: it must not end the program.
    SetConsoleCtrlHandler(nullptr, TRUE);
    DWORD processes[2];
    ownConsole = GetConsoleProcessList(processes, 2) == 1;
    if (!ownConsole)
        return; // a Command Prompt's console: leave it as it is
    const HANDLE out = GetStdHandle(STD_ERROR_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(out, &info) && info.dwSize.Y < kScrollbackLines) {
        info.dwSize.Y = kScrollbackLines;
        SetConsoleScreenBufferSize(out, info.dwSize);
    }
    SetConsoleTitleW(L"Tavrix - log");
    std::fputs(kHeader, stderr);
    std::fflush(stderr);
}

LogConsole::~LogConsole()
{
    if (!ownConsole)
        return;
    // The console goes with the process: keep it for the copy.
    std::fputs(kClosing, stderr);
    std::fflush(stderr);
    std::getchar();
}
