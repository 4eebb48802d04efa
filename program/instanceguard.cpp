// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/instanceguard.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QWidget>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>

#include <windows.h>

#include <sddl.h>
#else
#include <QSocketNotifier>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

InstanceGuard::InstanceGuard(const QString &name, QObject *parent) : QObject(parent)
{
    if (name.isEmpty()) {
        claimed_ = true; // a program that claims nothing runs beside any other
        return;
    }
    claimed_ = claim(name);
    if (claimed_)
        listen();
}

QString InstanceGuard::inThisFolder(const QString &name)
{
    if (name.isEmpty())
        return name;
    QString folder = QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
    folder = folder.toLower(); // one folder, however its name is spelled
#endif
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1);
    return name + '.' + QString::fromLatin1(hash.toHex().left(12));
}

void InstanceGuard::raiseOnSecondStart(QWidget *window)
{
    connect(this, &InstanceGuard::secondStart, window, [window] {
        qDebug().noquote() << "second start: window brought to the front";
        if (window->isMinimized())
            window->showNormal();
        window->show();
        window->raise();
        window->activateWindow();
    });
}

#ifdef Q_OS_WIN

namespace {
// The name lives in the session's Local namespace; the user's SID in it
// scopes it further: a program started as another user in this session
// (runas) has a cable claim of its own.
QString userSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return QString();
    QString sid;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray buffer(int(size), 0);
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        wchar_t *text = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid,
                                   &text)) {
            sid = QString::fromWCharArray(text);
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sid;
}
} // namespace

bool InstanceGuard::claim(const QString &name)
{
    const QString full = QStringLiteral("Local\\Tavrix.%1.%2").arg(name, userSid());
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, reinterpret_cast<LPCWSTR>(full.utf16()));
    if (!event)
        return true; // no way to tell: run rather than refuse
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        handle_ = reinterpret_cast<qintptr>(event);
        return true;
    }
    // We are the foreground program the user just started: let the holder
    // take the foreground, which Windows refuses a background program.
    AllowSetForegroundWindow(ASFW_ANY);
    SetEvent(event);
    CloseHandle(event);
    return false;
}

void InstanceGuard::listen()
{
    if (handle_ == -1)
        return;
    auto *notifier = new QWinEventNotifier(reinterpret_cast<HANDLE>(handle_), this);
    connect(notifier, &QWinEventNotifier::activated, this, &InstanceGuard::secondStart);
    notifier_ = notifier;
}

InstanceGuard::~InstanceGuard()
{
    delete notifier_;
    if (handle_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

#else

namespace {
// An abstract socket address: no file, gone with the last process holding
// it, scoped to the user by the uid in its name.
socklen_t abstractAddress(const QString &name, sockaddr_un &address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const QByteArray text = QStringLiteral("tavrix.%1.%2").arg(name).arg(getuid()).toUtf8();
    const int length = qMin(text.size(), int(sizeof address.sun_path) - 1);
    std::memcpy(address.sun_path + 1, text.constData(), std::size_t(length));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(length));
}
} // namespace

bool InstanceGuard::claim(const QString &name)
{
    sockaddr_un address;
    const socklen_t length = abstractAddress(name, address);
    // Never blocking: a knock at a holder that has stopped answering must
    // not hang the second start.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true; // no way to tell: run rather than refuse
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), length) == 0 && ::listen(fd, 4) == 0) {
        handle_ = fd;
        return true;
    }
    const bool taken = errno == EADDRINUSE;
    // Knocking is the whole message: the holder brings its window forward.
    if (taken)
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), length);
    ::close(fd);
    return !taken;
}

void InstanceGuard::listen()
{
    if (handle_ < 0)
        return;
    auto *notifier = new QSocketNotifier(int(handle_), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        const int knock = ::accept4(int(handle_), nullptr, nullptr, SOCK_CLOEXEC);
        if (knock < 0)
            return;
        ::close(knock);
        emit secondStart();
    });
    notifier_ = notifier;
}

InstanceGuard::~InstanceGuard()
{
    delete notifier_;
    if (handle_ >= 0)
        ::close(int(handle_));
}

#endif
