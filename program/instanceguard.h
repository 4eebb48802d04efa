// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef INSTANCEGUARD_H
#define INSTANCEGUARD_H

#include <QObject>
#include <QString>

class QWidget;

// One program per cable: the first program of a user to claim a name keeps
// it for as long as it runs; a later start finds it taken, asks the holder
// to come to the front and should exit. The name lives in the kernel only
// (a Linux abstract socket, a Windows named event), so nothing is written
// and a crashed holder leaves nothing behind that could block the next start.
// It fails closed: a claim that can be neither made nor checked keeps the
// program from starting a session, as a claim held elsewhere does.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    enum class State {
        Claimed,   // ours for as long as we run
        Knocked,   // held by another program, which has been asked to come forward
        HeldAway,  // held by a program we may not reach (a copy run as administrator)
        Unchecked, // the claim could be neither made nor checked
    };

    // Claims `name` for this user (an empty name claims nothing); needs the
    // application object. When the claim could not be had but by a knock,
    // says why in the log and, in a program with widgets, in a message box.
    explicit InstanceGuard(const QString &name, QObject *parent = nullptr);
    ~InstanceGuard() override;

    // False: this program must not start a session (see state()).
    bool claimed() const { return state_ == State::Claimed; }
    // When not claimed, the code the program ends with: 0 when the running
    // window was asked to come forward (and the log says so), 1 when the
    // claim could not be had (the guard has said why).
    int exitCode() const;
    State state() const { return state_; }
    // Why the claim could not be made or checked (the system's words), or
    // which program holds it; empty when claimed or knocked.
    QString reason() const { return reason_; }
    // `name` for the programs of this program's folder only: an installed
    // tavrix and the one of a build tree, or of another checkout whose
    // tests run at the same time, do not keep each other out.
    static QString inThisFolder(const QString &name);
#ifdef Q_OS_WIN
    // The kernel object's name for `name` (the session's namespace, this user).
    static QString objectName(const QString &name);
#endif
    // Brings `window` to the front whenever a later start asks for it.
    void raiseOnSecondStart(QWidget *window);

signals:
    void secondStart();

private:
    State claim(const QString &name);
    void listen();
    void sayWhy() const;

    State state_ = State::Unchecked;
    QString reason_;
    qintptr handle_ = -1; // the listening socket, or the event's HANDLE
    QObject *notifier_ = nullptr;
};

#endif // INSTANCEGUARD_H
