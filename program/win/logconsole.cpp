// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/win/logconsole.h"

#include "logpump.h"

#include <QApplication>
#include <QByteArray>
#include <QWidget>

#include <atomic>
#include <cstdio>
#include <mutex>

#include <windows.h>

namespace {
// The console keeps this many lines to scroll back and copy: the most it
// allows, about a quarter of an hour of polling.
constexpr SHORT kScrollbackLines = 32766;
constexpr int kMostModalWindows = 8; // nested modal windows closed one by one

const char kHeader[] =
    "Tavrix (dengan log): log diagnosa tampil di sini selama program berjalan.\n"
    "Untuk mengirim: pilih teks dengan mouse (Ctrl+A memilih semuanya), salin dengan\n"
    "Enter atau Ctrl+C, lalu tempel (Ctrl+V) di e-mail atau pesan.\n\n";

const char kClosing[] =
    "\nJendela Tavrix sudah ditutup. Salin log di atas bila perlu,\n"
    "lalu tekan Enter untuk menutup jendela ini.\n";

// Between the thread Windows starts for a console event and the program.
std::mutex appMutex;
bool appAlive = false;            // the application object exists
HANDLE finished = nullptr;        // set once the program has ended
std::atomic<bool> closing{false}; // the console is going away

void appStarted()
{
    const std::lock_guard<std::mutex> lock(appMutex);
    appAlive = true;
}

void appEnding()
{
    const std::lock_guard<std::mutex> lock(appMutex);
    appAlive = false;
}

// On the GUI thread: what the close buttons would do. A modal window (the
// CO window) first, for the main window refuses to close behind it.
void closeWindows()
{
    for (int i = 0; i < kMostModalWindows; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->close())
            break;
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->close();
    }
    // Whatever refused to close: the console is going, and the program with it.
    QCoreApplication::quit();
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE; // Ctrl+C copies in the console: it must not end the program
    // The close button, a log-off or a shut-down: Windows ends the process
    // once this returns, so return only when all is finished.
    LogConsole::closeProgram();
    return TRUE;
}
} // namespace

LogConsole::LogConsole()
{
    // Qt's own switch: its debug output to standard error (the console, or a
    // file the user named with 2>) instead of the debugger.
    qputenv("QT_FORCE_STDERR_LOGGING", QByteArray("1"));
    finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    qAddPreRoutine(appStarted);
    qAddPostRoutine(appEnding);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(err, &mode))
        return; // standard error is a file (2> tavrix-log.txt) or nothing
    DWORD processes[2];
    ownConsole = GetConsoleProcessList(processes, 2) == 1;
    if (ownConsole) { // a Command Prompt's console stays as it is
        CONSOLE_SCREEN_BUFFER_INFO info;
        if (GetConsoleScreenBufferInfo(err, &info) && info.dwSize.Y < kScrollbackLines) {
            info.dwSize.Y = kScrollbackLines;
            SetConsoleScreenBufferSize(err, info.dwSize);
        }
        SetConsoleTitleW(L"Tavrix - log");
        std::fputs(kHeader, stderr);
        std::fflush(stderr);
    }
    pump = new LogPump(err);
}

LogConsole::~LogConsole()
{
    appEnding();
    // All is finished: a console event may end the process from now on.
    SetEvent(finished);
    if (closing)
        return;  // the console is going: its writer may be stuck in it, leave it be
    delete pump; // the last lines written, standard error the console again
    if (!ownConsole)
        return;
    // The console goes with the process: keep it for the copy.
    std::fputs(kClosing, stderr);
    std::fflush(stderr);
    // An Enter pressed while the program ran waits in the console's input:
    // it must not close the console the moment the window has closed.
    FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
    std::getchar();
}

void LogConsole::closeProgram()
{
    if (!finished)
        return;
    closing = true;
    {
        const std::lock_guard<std::mutex> lock(appMutex);
        if (appAlive)
            QMetaObject::invokeMethod(QCoreApplication::instance(), closeWindows,
                                      Qt::QueuedConnection);
    }
    WaitForSingleObject(finished, INFINITE);
}
