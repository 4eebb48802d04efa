// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cablestatus.h"
#include "cowindow.h"
#include "itemcatalogue.h"
#include "kwp/kwpprotocol.h"
#include "link/usbserial.h"
#include "pacing.h"
#include "statustexts.h"
#include "tablemenu.h"

#include <QCloseEvent>
#include <QDebug>
#include <QIcon>
#include <QTimer>

// The icon lives in the static application library; register it before
// main runs so that every program built on the library has it.
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
} // namespace

namespace {
const int kColumnWidths[] = {50, 100, 200, 100, 100};
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), link(nullptr), pollTimer(nullptr), rpm(0),
      coValue(0), actionStep(0), selectedRow(0), ecuRow(0), running(true), selectionPending(false),
      sessionState(SessionState::None), coWindow(nullptr), kwpPulseMs(KwpProtocol::LongestPulseMs),
      kwpCoPulseMs(KwpProtocol::LongestPulseMs)
{
    ui->setupUi(this);
    setWindowIcon(QIcon(":/img/icon.png"));

    pollTimer = new QTimer();
    // Qt's Windows dispatcher (qeventdispatcher_win.cpp, registerTimer) serves
    // a coarse timer of 20 ms or more with SetTimer, on the 15.6 ms system
    // tick: 30 ms would come out 31.25 ms and 110 ms 125 ms. A precise one
    // gets a 1 ms multimedia timer. The waits inside a tick are single shots
    // under 2 s, which QTimer::singleShot already makes precise.
    pollTimer->setTimerType(Qt::PreciseTimer);
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked()));
    connect(ui->comboBox, SIGNAL(currentIndexChanged(int)), this, SLOT(comboBox_typeChanged(int)));
    running = true;

    coWindow = new CoWindow();
    connect(coWindow, SIGNAL(up_clicked()), this, SLOT(up_clicked()));
    connect(coWindow, SIGNAL(down_clicked()), this, SLOT(down_clicked()));
    connect(coWindow, SIGNAL(cylChanged(int)), this, SLOT(cyl_changed(int)));

    link = new UsbSerial();
    connect(link, SIGNAL(ftdiwriteError()), this, SLOT(ftdiwriteError()));
    // One connection attempt is due at a time: several failed bytes in a
    // tick, or a failure while attempts already run, move the one attempt
    // rather than start a second round that would reopen a working link.
    connectTimer = new QTimer(this);
    connectTimer->setSingleShot(true);
    connect(connectTimer, SIGNAL(timeout()), this, SLOT(connect_clicked()));
    connectTimer->start(Pacing::FirstConnectMs);
    cableStatus = new CableStatus(ui->statusBar);

    rpm = coValue = actionStep = selectedRow = ecuRow = 0;
    sessionState = SessionState::None;
    selectionPending = false;

    ui->pushButton->setEnabled(false);
    ui->tableWidget->verticalHeader()->hide();
    connect(ui->tableWidget, SIGNAL(cellClicked(int, int)), this, SLOT(table_clicked()));
    connect(ui->pushButton, SIGNAL(clicked()), this, SLOT(action_clicked()));
    connect(ui->pushButton_co, SIGNAL(clicked()), this, SLOT(co_clicked()));

    itemList = ItemCatalogue::build();
    for (int column = 0; column < 5; ++column)
        ui->tableWidget->setColumnWidth(column, kColumnWidths[column]);
    ui->tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The chart, the report and the CSV: beside the form, on the table's
    // right button.
    new TableMenu(this, ui->tableWidget, &journal);

    cmdHold = KwpFrames::Hold.text();
    cmdUp = KwpFrames::Up.text();
    cmdDown = KwpFrames::Down.text();
    cmdAction = KwpFrames::Action.text();
    cmdTesterPresent = KwpFrames::TesterPresent.text();
    cmdReadDtcCurrent = KwpFrames::ReadDtcCurrent.text();
    cmdClearDtc = KwpFrames::ClearDtc.text();
    cmdReadDtcHistory = KwpFrames::ReadDtcHistory.text();

    load_errorlist_auto();
    startCycle();
}

MainWindow::~MainWindow()
{
    delete cableStatus;
    delete link;
    delete ui;
}

void MainWindow::connect_clicked()
{
    if (link->Connect()) {
        // A new line, a new session: a tick that waited through the
        // reconnect belongs to the old one.
        startCycle();
        link->writeDataBit(1);
        pollTimer->start(Pacing::AutoPollMs);
        qDebug().noquote() << "Connected.";
        ui->statusBar->showMessage(StatusText::EngineOff);
        cableStatus->connected();
        return;
    }
    qDebug().noquote() << "Not Connect.";
    ui->statusBar->showMessage(StatusText::NotConnected);
    connectTimer->start(Pacing::RetryConnectMs);
    // After the retry is set, so that asking the system never delays it.
    cableStatus->openFailed(link->lastOpenFailure());
}

void MainWindow::ftdiwriteError()
{
    // The session ends with the lost byte: the rest of a tick under way, a
    // check still to run and a login half done were all for it. A login
    // resumed past keys the ECU never got would walk it somewhere else (a
    // CO login's action keys would finish its diagnosis login and check
    // the item it stands on), so the next session starts from the top.
    journal.cableLost();
    rpm = coValue = 0;
    startCycle();
    pollTimer->stop();
    ui->statusBar->showMessage(StatusText::NotConnected);
    connectTimer->start(Pacing::ReconnectMs);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    pollTimer->stop();
    connectTimer->stop();
    disconnect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked()));
    disconnect(link, SIGNAL(ftdiwriteError()), this, SLOT(ftdiwriteError()));
    if (link->isConnected())
        qDebug().noquote() << "Disconnected";
    running = false;
    event->accept();
}
