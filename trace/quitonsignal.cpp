// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/quitonsignal.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN

#include <QAbstractNativeEventFilter>

#include <cstdio>
#include <windows.h>

namespace {

void queueQuit()
{
    // Safe from any thread: the event loop does the rest.
    QMetaObject::invokeMethod(QCoreApplication::instance(), "quit", Qt::QueuedConnection);
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    queueQuit();
    // After a close, log-off or shut-down event Windows ends the process as
    // soon as this returns: wait here until main has finished and exits.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

// QProcess::terminate() and taskkill without /F post WM_CLOSE to the main
// thread as well as to the windows: the Windows form of SIGTERM.
class ThreadCloseFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &type, void *message, long *) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (type != "windows_generic_MSG" || msg->hwnd || msg->message != WM_CLOSE)
            return false;
        queueQuit();
        return true;
    }
};

bool hasHandle(DWORD which)
{
    const HANDLE h = GetStdHandle(which);
    return h && h != INVALID_HANDLE_VALUE;
}

} // namespace

void quitOnTerminationSignals()
{
    static ThreadCloseFilter *filter = nullptr;
    if (filter)
        return;
    filter = new ThreadCloseFilter; // for the life of the process
    QCoreApplication::instance()->installNativeEventFilter(filter);
    // A GUI program has no console of its own: share the one it was started
    // from, so that Ctrl+C there reaches it and its messages show there
    // unless they were sent elsewhere.
    const bool hadOut = hasHandle(STD_OUTPUT_HANDLE), hadErr = hasHandle(STD_ERROR_HANDLE);
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!hadOut)
            std::freopen("CONOUT$", "w", stdout);
        if (!hadErr)
            std::freopen("CONOUT$", "w", stderr);
    }
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

#else

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here: the event loop does the rest.
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[0], &byte, 1);
}

} // namespace

void quitOnTerminationSignals()
{
    if (pipeEnds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0)
        return;
    auto *notifier =
        new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(pipeEnds[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

#endif
