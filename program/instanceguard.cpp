// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/instanceguard.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QMessageBox>
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
        state_ = State::Claimed; // a program that claims nothing runs beside any other
        return;
    }
    state_ = claim(name);
    if (state_ == State::Claimed)
        listen();
    else if (state_ != State::Knocked)
        sayWhy();
}

void InstanceGuard::sayWhy() const
{
    QString text;
    if (state_ == State::HeldAway) {
        qDebug().noquote() << "cable claim: held by a program out of reach (" + reason_
                                  + "): no session started";
        text = QStringLiteral(
            "Tavrix sudah berjalan di PC ini, mungkin sebagai administrator, "
            "dan memakai kabel.\nPakai jendela Tavrix itu, atau tutup dulu "
            "lalu jalankan lagi.");
    } else {
        qDebug().noquote() << "cable claim could not be made or checked (" + reason_
                                  + "): no session started";
        text = QStringLiteral(
                   "Tavrix tidak bisa memastikan hanya satu program memakai kabel "
                   "(%1).\nTavrix ditutup agar tidak berebut kabel dengan program "
                   "lain. Jalankan lagi; bila tetap begini, mulai ulang PC.")
                   .arg(reason_);
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QMessageBox::warning(nullptr, QStringLiteral("Tavrix"), text);
}

int InstanceGuard::exitCode() const
{
    if (state_ != State::Knocked)
        return 1;
    qDebug().noquote() << "Tavrix is already running: its window comes to the front";
    return 0;
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

QString InstanceGuard::objectName(const QString &name)
{
    return QStringLiteral("Local\\Tavrix.%1.%2").arg(name, userSid());
}

InstanceGuard::State InstanceGuard::claim(const QString &name)
{
    const QString full = objectName(name);
    const auto *wide = reinterpret_cast<LPCWSTR>(full.utf16());
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, wide);
    const DWORD error = GetLastError();
    if (event && error != ERROR_ALREADY_EXISTS) {
        handle_ = reinterpret_cast<qintptr>(event);
        return State::Claimed;
    }
    if (!event && error != ERROR_ACCESS_DENIED) {
        reason_ = QStringLiteral("%1 (kode %2)").arg(qt_error_string(int(error))).arg(error);
        return State::Unchecked;
    }
    // The name exists. Access denied: its holder's security keeps us from
    // opening it for everything (a copy running as administrator): a knock
    // may still be let through.
    if (!event)
        event = OpenEventW(EVENT_MODIFY_STATE, FALSE, wide);
    if (!event) {
        reason_ = qt_error_string(int(GetLastError()));
        return State::HeldAway;
    }
    // We are the foreground program the user just started: let the holder
    // take the foreground, which Windows refuses a background program.
    AllowSetForegroundWindow(ASFW_ANY);
    const bool knocked = SetEvent(event);
    const DWORD knockError = GetLastError();
    CloseHandle(event);
    if (!knocked) {
        reason_ = qt_error_string(int(knockError));
        return State::HeldAway;
    }
    return State::Knocked;
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

InstanceGuard::State InstanceGuard::claim(const QString &name)
{
    sockaddr_un address;
    const socklen_t length = abstractAddress(name, address);
    // Never blocking: a knock at a holder that has stopped answering must
    // not hang the second start.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        reason_ = qt_error_string(errno);
        return State::Unchecked;
    }
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), length) == 0 && ::listen(fd, 4) == 0) {
        handle_ = fd;
        return State::Claimed;
    }
    const int error = errno;
    State state = State::Unchecked;
    if (error == EADDRINUSE) {
        // Knocking is the whole message: the holder brings its window forward.
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), length);
        state = State::Knocked;
    } else {
        reason_ = qt_error_string(error);
    }
    ::close(fd);
    return state;
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
