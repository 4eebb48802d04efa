// SPDX-License-Identifier: GPL-3.0-or-later
// The item table and the slots that work on it; shared by both families.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "itemcatalogue.h"

#include <QTableWidgetItem>

namespace {
enum Column { ColAction = 0, ColCode = 1, ColItem = 2, ColValue = 3, ColUnit = 4 };
const char kUnknownEntry[] = "-,-,-";
} // namespace

// Every item the ECU lists gets its row, so that row r stays r steps from
// item 1; a code the catalogue does not know shows "-" for name and unit.
void MainWindow::appendItemRow(int code)
{
    const int row = ui->tableWidget->rowCount();
    ui->tableWidget->setRowCount(row + 1);
    const QString codeText = QString::number(code);
    ui->tableWidget->setItem(row, ColCode, new QTableWidgetItem(codeText));
    rowCodes.append(codeText);

    const bool known = code >= 0 && code < itemList.size();
    const QStringList fields = (known ? itemList[code] : QString(kUnknownEntry)).split(',');
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

void MainWindow::writeValue(int row, const QString &value)
{
    if (row < 0 || row >= ui->tableWidget->rowCount())
        return;
    if (QTableWidgetItem *cell = ui->tableWidget->item(row, ColValue))
        cell->setText(value);
    else
        ui->tableWidget->setItem(row, ColValue, new QTableWidgetItem(value));
}

// The table emptied from outside the cycle (the CO window): the cycle's
// view of it follows, and a scan under way starts again from item 1.
void MainWindow::clear_table()
{
    if (autoCycle)
        autoCycle->tableCleared();
    else if (kwpCycle)
        kwpCycle->tableCleared();
    clearShownTable();
    mirror();
}

// The rows, their codes, and the selection that pointed into them.
void MainWindow::clearShownTable()
{
    ui->pushButton->setEnabled(false);
    if (ui->tableWidget->rowCount() < 1)
        return;
    ui->tableWidget->setRowCount(0);
    rowCodes.clear();
    selectedRow = 0;
    ecuRow = 0;
}

void MainWindow::table_clicked()
{
    const int row = ui->tableWidget->currentRow();
    if (row < 0 || row >= rowCodes.size())
        return;
    if (autoCycle)
        autoCycle->select(row);
    else if (kwpCycle)
        kwpCycle->select(row);
    mirror();

    const QTableWidgetItem *mark = ui->tableWidget->item(row, ColAction);
    ui->pushButton->setEnabled(mark && mark->text().toLatin1() == "A");

    const int slot = rowCode(row).toInt();
    const bool known = slot >= 0 && slot < itemList.size();
    const QStringList fields = (known ? itemList[slot] : QString(kUnknownEntry)).split(',');
    ui->label_info->setText("Info: " + fields.value(2));
}

void MainWindow::action_clicked()
{
    // The cycle takes the press up only in its session, and not twice.
    if (!ui->pushButton->isEnabled())
        return;
    if (autoCycle)
        autoCycle->press();
    else if (kwpCycle)
        kwpCycle->press();
    mirror();
}
