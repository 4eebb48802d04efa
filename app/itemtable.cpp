// The item table and the slots that work on it; shared by both families.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "itemcatalogue.h"
#include "link/usbserial.h"

#include <QGuiApplication>
#include <QTableWidgetItem>
#include <QTimer>

namespace {
enum Column { ColAction = 0, ColCode = 1, ColItem = 2, ColValue = 3, ColUnit = 4 };
constexpr int kAutoBaud = 15630;
constexpr int kAutoPollMs = 30;
} // namespace

void MainWindow::appendItemRow(int code)
{
    if (code < 0 || code >= itemList.size())
        return;   // no catalogue entry: the item gets no row
    const int row = ui->tableWidget->rowCount();
    ui->tableWidget->setRowCount(row + 1);
    const QString codeText = QString::number(code);
    ui->tableWidget->setItem(row, ColCode, new QTableWidgetItem(codeText));
    rowCodes.append(codeText);

    const QStringList fields = itemList[code].split(',');
    QString name = fields.value(0);
    const bool actuator = name.startsWith('x');
    if (actuator)
        name.remove(0, 1);
    ui->tableWidget->setItem(row, ColAction, new QTableWidgetItem(actuator ? "A" : "-"));
    ui->tableWidget->setItem(row, ColItem, new QTableWidgetItem(name));
    ui->tableWidget->setItem(row, ColUnit, new QTableWidgetItem(fields.value(1)));
}

QString MainWindow::rowCode(int row) const
{
    return rowCodes.value(row);
}

void MainWindow::clear_table()
{
    if (ui->tableWidget->rowCount() < 1)
        return;
    ui->tableWidget->setRowCount(0);
    rowCodes.clear();
    selectedRow = 0;
    ecuRow = 0;
    // The row being waited for is gone; so is the reason for the cursor.
    restoreWaitCursors();
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

void MainWindow::table_clicked()
{
    pushWaitCursor(selectionCursor);
    selectionPending = true;
    ecuRow = selectedRow;
    selectedRow = ui->tableWidget->currentRow();

    const QTableWidgetItem *mark = ui->tableWidget->item(selectedRow, ColAction);
    ui->pushButton->setEnabled(mark && mark->text().toLatin1() == "A");

    bool ok = false;
    const int slot = rowCode(selectedRow).toInt(&ok);
    if (!ok || slot < 0 || slot >= itemList.size())
        return;
    const QStringList fields = itemList[slot].split(',');
    ui->label_info->setText("Info: " + fields.value(2));
}

void MainWindow::action_clicked()
{
    actionStep = 1;
    pushWaitCursor(actionCursor);
}

void MainWindow::comboBox_typeChanged(int index)
{
    // A session belongs to the ECU it was opened with: the other family
    // starts with its own login, not by polling an ECU it never greeted.
    sessionState = 0;
    scanPass = 0;
    actionStep = 0;
    restoreWaitCursors();
    if (index != 0) {
        vehicleType = "xmax";
        load_errorlist_xmax();
        disconnect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked()));
        connect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked_xmax()),
                Qt::UniqueConnection);
        return;
    }
    vehicleType = "auto";
    load_errorlist_auto();
    disconnect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked_xmax()));
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked()), Qt::UniqueConnection);
    // The Auto ECU only listens at 15630 baud and is polled every 30 ms; the
    // KWP cycle may have left the line at 10400 and the timer at 110/1000 ms.
    if (kwpLineSlow && link->isConnected())
        link->setBaud(kAutoBaud);
    kwpLineSlow = false;
    pollTimer->setInterval(kAutoPollMs);
}
