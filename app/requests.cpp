// SPDX-License-Identifier: GPL-3.0-or-later
// What the mechanic has asked for and not yet got: the row to follow and the
// Action press. Each shows a wait cursor for as long as it stands, and goes
// (with its cursor) as soon as the work it asked for can no longer be done.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QGuiApplication>

void MainWindow::setSessionState(int state)
{
    const bool wasUp = sessionUp();
    sessionState = state;
    if (wasUp == sessionUp())
        return;
    // A press belongs to the session that saw it; so does the walk to a row.
    ++sessionSerial;
    journal.sessionChanged();
    dropRequests();
}

void MainWindow::dropSelection()
{
    selectionPending = false;
    popWaitCursor(selectionCursor);
}

void MainWindow::dropAction()
{
    actionStep = 0;
    action.drop();
    popWaitCursor(actionCursor);
}

void MainWindow::dropRequests()
{
    dropSelection();
    dropAction();
}

void MainWindow::pushWaitCursor(bool &pushed)
{
    if (pushed)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    pushed = true;
}

void MainWindow::popWaitCursor(bool &pushed)
{
    if (!pushed)
        return;
    QGuiApplication::restoreOverrideCursor();
    pushed = false;
}

void MainWindow::restoreWaitCursors()
{
    popWaitCursor(selectionCursor);
    popWaitCursor(actionCursor);
}
