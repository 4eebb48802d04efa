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
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    // Claims `name` for this user (an empty name claims nothing); needs the
    // application object.
    explicit InstanceGuard(const QString &name, QObject *parent = nullptr);
    ~InstanceGuard() override;

    // False: another program holds the name and has been asked to come forward.
    bool claimed() const { return claimed_; }
    // `name` for the programs of this program's folder only: an installed
    // tavrix and the one of a build tree, or of another checkout whose
    // tests run at the same time, do not keep each other out.
    static QString inThisFolder(const QString &name);
    // Brings `window` to the front whenever a later start asks for it.
    void raiseOnSecondStart(QWidget *window);

signals:
    void secondStart();

private:
    bool claim(const QString &name);
    void listen();

    bool claimed_ = false;
    qintptr handle_ = -1; // the listening socket, or the event's HANDLE
    QObject *notifier_ = nullptr;
};

#endif // INSTANCEGUARD_H
