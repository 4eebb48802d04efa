// SPDX-License-Identifier: GPL-3.0-or-later
// The cycle of the session under way: a new one for every session of the
// window, its effects applied in one place, and its state shown in the
// shared members the window and the tests read.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cowindow.h"

#include <QGuiApplication>
#include <QTimer>

void MainWindow::startCycle()
{
    // A tick of the cycle that goes must not apply anything to the new one.
    overtakeTicks();
    if (kwpCycle)
        kwpPulseMs = kwpCycle->pulseMs();
    if (kwpCoCycle)
        kwpCoPulseMs = kwpCoCycle->pulseMs();
    // A cylinder change cut short starts again from its first key once the
    // next CO session is up: the box still shows the mechanic's choice.
    const AutoCoCycle::State owed =
        autoCoCycle ? autoCoCycle->cylinderOwed() : AutoCoCycle::State::Login;
    autoCycle.reset();
    autoCoCycle.reset();
    kwpCycle.reset();
    kwpCoCycle.reset();
    const bool xmax = vehicleType == QLatin1String("xmax");
    const ItemWalk shown(rowCodes, selectedRow, ecuRow);
    if (coMode && xmax)
        kwpCoCycle = std::make_shared<KwpCoCycle>(kwpCoPulseMs);
    else if (coMode)
        autoCoCycle = std::make_shared<AutoCoCycle>(owed);
    else if (xmax)
        kwpCycle = std::make_shared<KwpCycle>(kwpPulseMs, errorList, shown);
    else
        autoCycle = std::make_shared<AutoCycle>(errorList, shown);
    mirror();
}

const ItemWalk *MainWindow::walk() const
{
    if (autoCycle)
        return &autoCycle->walk();
    if (kwpCycle)
        return &kwpCycle->walk();
    return nullptr;
}

void MainWindow::apply(const Effects &effects)
{
    if (effects.clearTable)
        clearShownTable(); // the cycle has emptied its own view already
    if (effects.addRow >= 0)
        appendItemRow(effects.addRow);
    if (effects.valueRow >= 0)
        writeValue(effects.valueRow, effects.value);
    if (effects.checking)
        ui->label_check->setEnabled(*effects.checking);
    if (effects.info)
        ui->label_info->setText(*effects.info);
    if (effects.rpm)
        rpm = *effects.rpm;
    if (effects.co)
        coValue = *effects.co;
    // Shown while the session is up as it was before this answer.
    if (effects.display)
        setDisplay();
    if (effects.offerCylinders)
        coWindow->setComboCyl(true);
    mirror();
    if (effects.status)
        ui->statusBar->showMessage(*effects.status);
    if (effects.timerMs >= 0)
        pollTimer->start(effects.timerMs);
}

// The one place where the cycle's state becomes the shared members.
void MainWindow::mirror()
{
    int state = SessionState::None;
    if (autoCycle)
        state = int(autoCycle->state());
    else if (autoCoCycle)
        state = int(autoCoCycle->state());
    else if (kwpCycle)
        state = int(kwpCycle->state());
    else if (kwpCoCycle)
        state = int(kwpCoCycle->state());
    if ((state == SessionState::Up) != sessionUp())
        ++sessionSerial;
    sessionState = state;

    const ItemWalk *table = walk();
    if (table) {
        selectedRow = table->selected();
        ecuRow = table->pointer().row();
    }
    selectionPending = table && table->selectionPending();
    actionStep = table ? table->actionStep() : 0;
    // A wait cursor shows exactly while something asked for is pending.
    showWaitCursor(selectionCursor, selectionPending);
    showWaitCursor(actionCursor, table && table->request().pending());
}

void MainWindow::showWaitCursor(bool &shown, bool wanted)
{
    if (shown == wanted)
        return;
    if (wanted)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    shown = wanted;
}

void MainWindow::restoreWaitCursors()
{
    showWaitCursor(selectionCursor, false);
    showWaitCursor(actionCursor, false);
}
