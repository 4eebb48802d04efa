// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/windowwatch.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

namespace trace {

WindowWatch::WindowWatch(QWidget *mainWindow, bool statusAsItChanges, Sink sink)
    : QObject(mainWindow), surface_(mainWindow), sink_(std::move(sink))
{
    const WindowSurface &s = surface_;
    if (s.typeBox)
        connect(s.typeBox, SIGNAL(currentIndexChanged(int)), this, SLOT(typeChosen(int)));
    if (s.table)
        connect(s.table, SIGNAL(cellClicked(int, int)), this, SLOT(rowClicked(int, int)));
    if (s.action)
        connect(s.action, SIGNAL(clicked()), this, SLOT(actionClicked()));
    if (s.up)
        connect(s.up, SIGNAL(clicked()), this, SLOT(upClicked()));
    if (s.down)
        connect(s.down, SIGNAL(clicked()), this, SLOT(downClicked()));
    if (s.cylinder)
        connect(s.cylinder, SIGNAL(currentIndexChanged(int)), this, SLOT(cylinderChosen(int)));
    if (s.tableMenu)
        connect(s.tableMenu, SIGNAL(triggered(QAction *)), this, SLOT(menuChosen(QAction *)));
    if (statusAsItChanges && s.statusBar)
        connect(s.statusBar, &QStatusBar::messageChanged, this, [this] { look(); });
    note(Kind::UiWatch, statusAsItChanges ? 1 : 0);
    // The CO window runs modally inside the CO button's slot: a slot of
    // ours on the button would hear the click only once the window closed.
    // Its showing is the click that counted.
    if (s.coWindow)
        s.coWindow->installEventFilter(this);
}

void WindowWatch::note(Kind kind, int arg1, int arg2, const QString &text)
{
    Event e;
    e.kind = kind;
    e.arg1 = arg1;
    e.arg2 = arg2;
    if (kind == Kind::UiMenu || isWindowShown(kind))
        e.texts.append(text.toUtf8());
    sink_(std::move(e));
}

void WindowWatch::noteText(Kind kind, QString &last, const QString &now)
{
    // A null text is one never noted: even an empty first text is noted.
    if (!last.isNull() && last == now)
        return;
    last = now.isNull() ? QString("") : now;
    note(kind, 0, 0, now);
}

void WindowWatch::look()
{
    noteText(Kind::UiStatus, status_, surface_.status());
    noteText(Kind::UiCable, cable_, surface_.cableText());
    noteText(Kind::UiInfo, info_, surface_.info ? surface_.info->text() : QString());
    if (surface_.table && surface_.table->rowCount() == 0)
        followedRow_ = 0;
    const int row = surface_.table && followedRow_ < surface_.table->rowCount() ? followedRow_ : -1;
    const QString value = surface_.valueOf(row);
    if (row != valueRow_ || value != value_) {
        valueRow_ = row;
        value_ = value;
        note(Kind::UiValue, row, 0, value);
    }
}

void WindowWatch::closing()
{
    look();
    note(Kind::UiClose);
}

bool WindowWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == surface_.coWindow && !event->spontaneous()) {
        if (event->type() == QEvent::Show)
            note(Kind::UiCo, 1);
        else if (event->type() == QEvent::Hide)
            note(Kind::UiCo, 0);
    }
    return QObject::eventFilter(watched, event);
}

void WindowWatch::typeChosen(int index)
{
    note(Kind::UiType, index);
}

void WindowWatch::rowClicked(int row, int)
{
    followedRow_ = row;
    note(Kind::UiRow, row, surface_.codeOf(row));
}

void WindowWatch::actionClicked()
{
    note(Kind::UiAction);
}

void WindowWatch::upClicked()
{
    note(Kind::UiUp);
}

void WindowWatch::downClicked()
{
    note(Kind::UiDown);
}

void WindowWatch::cylinderChosen(int index)
{
    note(Kind::UiCyl, index);
}

void WindowWatch::menuChosen(QAction *command)
{
    note(Kind::UiMenu, 0, 0, command ? command->text() : QString());
}

} // namespace trace
