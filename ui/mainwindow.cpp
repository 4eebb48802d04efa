// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

#include "ecu/diagvalue.h"
#include "ecu/linebytes.h"
#include "session/sessionengine.h"
#include "ui/cablestatus.h"
#include "ui/cowindow.h"
#include "ui/statustexts.h"
#include "ui/tablemenu.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QTableWidgetItem>

// The icon lives in the static window library; register it before main
// runs so that every program built on the library has it.
static int registerResources()
{
    Q_INIT_RESOURCE(resources);
    return 0;
}
static void unregisterResources()
{
    Q_CLEANUP_RESOURCE(resources);
}
namespace {
struct ResourceRegistration {
    ResourceRegistration() { registerResources(); }
    ~ResourceRegistration() { unregisterResources(); }
} resourceRegistration;

const int kColumnWidths[] = {50, 100, 200, 100, 100};
enum Column { ColAction = 0, ColCode = 1, ColItem = 2, ColValue = 3, ColUnit = 4 };

QString cellText(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *cell = table->item(row, column);
    return cell ? cell->text() : QString();
}
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), engine_(nullptr), coWindow(nullptr)
{
    ui->setupUi(this);
    setWindowIcon(QIcon(":/img/icon.png"));

    engine_ = new SessionEngine(this);
    connect(engine_, &SessionEngine::shown, this, &MainWindow::apply);
    connect(ui->comboBox, SIGNAL(currentIndexChanged(int)), this, SLOT(comboBox_typeChanged(int)));

    coWindow = new CoWindow();
    connect(coWindow, SIGNAL(up_clicked()), this, SLOT(up_clicked()));
    connect(coWindow, SIGNAL(down_clicked()), this, SLOT(down_clicked()));
    connect(coWindow, SIGNAL(cylChanged(int)), this, SLOT(cyl_changed(int)));
    cableStatus = new CableStatus(ui->statusBar);

    ui->pushButton->setEnabled(false);
    ui->tableWidget->verticalHeader()->hide();
    connect(ui->tableWidget, SIGNAL(cellClicked(int, int)), this, SLOT(table_clicked()));
    connect(ui->pushButton, SIGNAL(clicked()), this, SLOT(action_clicked()));
    connect(ui->pushButton_co, SIGNAL(clicked()), this, SLOT(co_clicked()));

    for (int column = 0; column < 5; ++column)
        ui->tableWidget->setColumnWidth(column, kColumnWidths[column]);
    ui->tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The chart, the report and the CSV: beside the form, on the table's
    // right button.
    new TableMenu(this, ui->tableWidget, &journal);
}

MainWindow::~MainWindow()
{
    delete cableStatus;
    delete ui;
}

void MainWindow::restoreWaitCursors()
{
    showWaitCursor(selectionCursor, false);
    showWaitCursor(actionCursor, false);
}

// --- the slots the tool has always had: each passes the work on ---

QString MainWindow::convertdiagval(QString codestr, QString valstr)
{
    return DiagValue::convert(codestr, valstr);
}

void MainWindow::load_errorlist_auto()
{
    engine_->loadAutoFaults();
}

void MainWindow::load_errorlist_xmax()
{
    engine_->loadXmaxFaults();
}

void MainWindow::connect_clicked()
{
    engine_->connectLink();
}

void MainWindow::send_clicked()
{
    engine_->tick(Cycle::Kind::Auto);
}

void MainWindow::send_clicked_xmax()
{
    engine_->tick(Cycle::Kind::Kwp);
}

void MainWindow::co_send_clicked()
{
    engine_->tick(Cycle::Kind::AutoCo);
}

void MainWindow::co_send_clicked_xmax()
{
    engine_->tick(Cycle::Kind::KwpCo);
}

void MainWindow::comboBox_typeChanged(int index)
{
    engine_->chooseType(index);
}

void MainWindow::table_clicked()
{
    engine_->selectRow(ui->tableWidget->currentRow());
}

void MainWindow::action_clicked()
{
    engine_->pressAction();
}

void MainWindow::delay(int ms)
{
    engine_->delay(ms);
}

void MainWindow::delay_login(int ms)
{
    engine_->delayLogin(ms);
}

void MainWindow::ftdiwriteError()
{
    engine_->writeFailed();
}

void MainWindow::up_clicked()
{
    engine_->coKey(AutoKey::Up);
}

void MainWindow::down_clicked()
{
    engine_->coKey(AutoKey::Down);
}

void MainWindow::cyl_changed(int cyl)
{
    engine_->chooseCylinder(cyl);
}

void MainWindow::setDisplay()
{
    engine_->redisplay();
}

void MainWindow::clear_table()
{
    engine_->clearTable();
}

// The CO window runs modally here; the engine's CO cycle ticks meanwhile.
void MainWindow::co_clicked()
{
    if (!engine_->enterCo())
        return;
    if (coWindow->exec() == 0)
        engine_->leaveCo();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    engine_->close();
    event->accept();
}

// --- what the engine decided, shown ---

void MainWindow::apply(const Shown &shown)
{
    if (!shown.typeChosen.isEmpty())
        journal.typeChosen(shown.typeChosen);
    if (shown.cableLost)
        journal.cableLost();
    if (shown.clearTable) {
        journal.tableCleared();
        ui->tableWidget->setRowCount(0);
    }
    if (shown.row)
        appendItemRow(shown);
    if (shown.valueRow >= 0)
        writeValue(shown.valueRow, shown.value);
    if (shown.checking)
        ui->label_check->setEnabled(*shown.checking);
    if (shown.info)
        ui->label_info->setText(*shown.info);
    if (shown.actionEnabled)
        ui->pushButton->setEnabled(*shown.actionEnabled);
    if (shown.coDisplay)
        coWindow->setDisplay(shown.coDisplay->rpm, shown.coDisplay->co);
    if (shown.offerCylinders)
        coWindow->setComboCyl(true);
    if (!shown.ecuNamed.isEmpty())
        journal.ecuNamed(shown.ecuNamed);
    if (shown.faultRow >= 0)
        journal.faultsRead(shown.faultRow, shown.faults);
    if (shown.faultsCleared)
        journal.faultsCleared();
    if (shown.sessionChanged)
        journal.sessionChanged();
    if (shown.itemSelected >= 0)
        journal.itemSelected(shown.itemSelected);
    if (shown.selectionBusy)
        showWaitCursor(selectionCursor, *shown.selectionBusy);
    if (shown.actionBusy)
        showWaitCursor(actionCursor, *shown.actionBusy);
    if (shown.status)
        ui->statusBar->showMessage(QString::fromLatin1(StatusText::of(*shown.status)));
    if (shown.cableHint)
        cableStatus->show(*shown.cableHint);
}

// Column 0 says whether Action serves the row, as the catalogue said when
// the row came.
void MainWindow::appendItemRow(const Shown &shown)
{
    const ItemCatalogue::ItemRow &item = *shown.row;
    const int row = ui->tableWidget->rowCount();
    ui->tableWidget->setRowCount(row + 1);
    ui->tableWidget->setItem(row, ColCode, new QTableWidgetItem(QString::number(item.code)));
    ui->tableWidget->setItem(row, ColAction, new QTableWidgetItem(item.actuator ? "A" : "-"));
    ui->tableWidget->setItem(row, ColItem, new QTableWidgetItem(item.name));
    ui->tableWidget->setItem(row, ColUnit, new QTableWidgetItem(item.unit));
}

void MainWindow::writeValue(int row, const QString &value)
{
    if (row < 0 || row >= ui->tableWidget->rowCount())
        return;
    if (QTableWidgetItem *cell = ui->tableWidget->item(row, ColValue))
        cell->setText(value);
    else
        ui->tableWidget->setItem(row, ColValue, new QTableWidgetItem(value));
    journal.valueShown(cellText(ui->tableWidget, row, ColCode).toInt(),
                       cellText(ui->tableWidget, row, ColItem), value,
                       cellText(ui->tableWidget, row, ColUnit));
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
