// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RECORDNOTICE_H
#define RECORDNOTICE_H

#include <QPointer>
#include <QString>

class QWidget;

// What the recorder tells the mechanic in its window, beside the form: the
// file it writes (he has to find it to send it) and, the moment it happens,
// that the file cannot be made or written. Started from the Start menu it
// has no console where the message would show.
class RecordNotice
{
public:
    // Its reporter, for the recording (trace::setRecordingReporter): the
    // console, the log and the window.
    void failed(const QString &message);
    // The window is up: says where the recording goes, or why it does not.
    void show(QWidget *window, const QString &path, bool recording);

private:
    void box(bool warning, const QString &text);

    QPointer<QWidget> window_;
    QString pendingFailure_; // heard before the window was up
};

#endif // RECORDNOTICE_H
