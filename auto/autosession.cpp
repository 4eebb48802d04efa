// The Auto family's polling cycle: one key byte per tick. This file holds
// the session half: following the selected row, values, actuator checks.
#include "mainwindow.h"
#include "tickguard.h"
#include "ui_mainwindow.h"

#include "autoprotocol.h"
#include "cowindow.h"
#include "protocolcounters.h"

#include <QDebug>
#include <QTableWidgetItem>

using namespace AutoProtocol;

namespace {
constexpr int kValueColumn = 3;
const char kHistoryHeading[] = "Info: History kode kesalahan";
} // namespace

void MainWindow::send_clicked()
{
    TickGuard guard(busy.autoCycle);
    if (!guard.entered())
        return;
    if (sessionState == 0)
        autoLoginTick();
    else
        autoSessionTick();
}

void MainWindow::autoSessionTick()
{
    if (rowCodes.isEmpty()) {
        // Nothing to follow (the CO window emptied the table): log in anew
        // so that the table is built again.
        autoSessionDrops();
        protocolCounters().loginStep = 0;
        ui->statusBar->showMessage("Connected-Engine Off");
        autoLoginTick();
        return;
    }
    ecuRow = autoEcuRow;
    const std::uint8_t key = autoSessionKey();
    const QString reply = autoExchange(key, SessionWaitMs);
    ecuRow = autoEcuRow;
    qDebug().noquote() << reply;
    const QStringList fields = replyFields(reply);
    if (fields.size() == SessionFields)
        autoSessionReply(fields);
    else
        autoSessionMalformed(fields.size());
}

std::uint8_t MainWindow::autoSessionKey()
{
    // A check waits until the ECU stands on the row it was asked for, and
    // once running it sends no move: ecuRow books only moves really sent.
    const bool checkDue = actionStep > 1
        || (actionStep == 1 && !selectionPending && ecuRow == selectedRow);
    if (!checkDue) {
        if (nextCommand == Up || nextCommand == Down) {
            autoEcuRow += nextCommand == Up ? 1 : -1;
            ecuRow = autoEcuRow;
            qDebug().noquote() << (nextCommand == Up ? "up" : "down");
        }
        return nextCommand;
    }
    const int end = rowCode(ecuRow) == QLatin1String("67") ? IscActionEnd : ActionEnd;
    std::uint8_t key = Action;
    keyFor(ActionSteps, actionStep, key);
    if (actionStep >= end) {
        actionStep = 0;
        popWaitCursor(actionCursor);
    }
    return key;
}

void MainWindow::autoSessionReply(const QStringList &fields)
{
    const QString status = fields.value(3);
    bool &confirmed = protocolCounters().itemConfirmed;
    if (showsCode(status))
        autoFollowEcu(fields.value(4));
    if (selectedRow == ecuRow) {
        if (selectionPending) {
            popWaitCursor(selectionCursor);
            selectionPending = false;
        }
        if (showsValue(status) && confirmed)
            autoShowValue(fields.value(4));
        // Values count only once the ECU has shown this very row's code.
        if (showsCode(status))
            confirmed = autoShownCode(fields.value(4)) == rowCode(selectedRow);
        ui->label_check->setEnabled(showsCheck(status));
        nextCommand = Hold;
    } else if (showsCode(status)) {
        confirmed = false;
        nextCommand = selectedRow > ecuRow ? Up : Down;
    } else {
        nextCommand = Hold;
    }
    if (sessionState == 1)
        coWindow->setDisplay(rpm, coValue);
}

// The decimal code the ECU shows, or an empty text for a field that is none.
QString MainWindow::autoShownCode(const QString &field) const
{
    bool ok = false;
    const int code = field.toInt(&ok, 16);
    return ok ? QString::number(code) : QString();
}

// When the ECU shows an item code, it says where it stands: a row counted
// wrong (a lost move, a skipped item) is put right before any value lands.
void MainWindow::autoFollowEcu(const QString &field)
{
    const QString code = autoShownCode(field);
    const int row = code.isEmpty() ? -1 : rowCodes.indexOf(code);
    if (row < 0 || row == autoEcuRow)
        return;
    autoEcuRow = row;
    ecuRow = row;
}

void MainWindow::autoSessionMalformed(int fieldCount)
{
    rpm = 0;
    coValue = 0;
    if (sessionState == 1)
        coWindow->setDisplay(0, 0);
    // A failed write has already dropped the session and said so.
    if (fieldCount == 1 && sessionState != 0) {
        autoSessionDrops();
        ui->statusBar->showMessage("Connected-Engine Off");
    }
}

void MainWindow::autoSessionDrops()
{
    // The check and the move the cursors stood for are cut off with it.
    sessionState = 0;
    actionStep = 0;
    restoreWaitCursors();
}

void MainWindow::autoShowValue(const QString &raw)
{
    const QString code = rowCode(selectedRow);
    if (code.isEmpty())
        return;
    const QString value = convertdiagval(code, raw);
    if (QTableWidgetItem *cell = ui->tableWidget->item(selectedRow, kValueColumn))
        cell->setText(value);
    else
        ui->tableWidget->setItem(selectedRow, kValueColumn, new QTableWidgetItem(value));
    if (code == QLatin1String("61"))
        autoShowFaultHistory(value);
}

void MainWindow::autoShowFaultHistory(const QString &value)
{
    const int code = value.toInt();
    const QString text = code >= 0 && code < FaultSlots ? errorList.value(code) : QString();
    if (text.isEmpty())
        ui->label_info->setText(kHistoryHeading);
    else
        ui->label_info->setText(QString(kHistoryHeading) + "\n" + text);
}
