// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WINDOWWATCH_H
#define WINDOWWATCH_H

// The recorder's eyes on the window (docs/ktrace.md, format 2). It notes
// each thing the mechanic does, when it is done: the type box, a row
// clicked, Action, the CO window opened and closed, its keys and cylinder
// box, a command of the table's menu. And, looked at before every call on
// the line (so after each exchange), what the window shows, whenever it
// changed: the status text, the reason beside "Not Connect.", the Value
// cell of the selected row and the Info line. Nothing else: no file names,
// no user names, none of the PC's paths.

#include "trace/traceevent.h"
#include "trace/windowsurface.h"

#include <QObject>

#include <functional>

class QAction;

namespace trace {

class WindowWatch : public QObject
{
    Q_OBJECT

public:
    using Sink = std::function<void(Event)>;
    // With `statusAsItChanges`, the status is also looked at whenever it
    // changes: it can stand between two calls for a second or more (a lost
    // KWP answer, then the wait before the wake-up), and the mechanic saw it.
    // Said first, in a ui.watch record.
    WindowWatch(QWidget *mainWindow, bool statusAsItChanges, Sink sink);

    // Notes what has changed since the last look.
    void look();
    // The session is over: what the program does next is its shutdown.
    void closing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void typeChosen(int index);
    void rowClicked(int row, int column);
    void actionClicked();
    void upClicked();
    void downClicked();
    void cylinderChosen(int index);
    void menuChosen(QAction *command);

private:
    void note(Kind kind, int arg1 = 0, int arg2 = 0, const QString &text = QString());
    void noteText(Kind kind, QString &last, const QString &now);

    WindowSurface surface_;
    Sink sink_;
    // What was noted last; null until the first look.
    QString status_, cable_, info_, value_;
    int valueRow_ = -2;
    // The row whose value the cycles keep fresh: the one clicked last, the
    // first once the table has been emptied. Not the table's current row,
    // which focus alone moves (a menu closing) without the cycles following.
    int followedRow_ = 0;
};

} // namespace trace

#endif // WINDOWWATCH_H
