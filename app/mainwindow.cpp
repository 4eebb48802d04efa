#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "cowindow.h"
#include "itemcatalogue.h"
#include "kwp/kwpframes.h"
#include "link/usbserial.h"

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
constexpr int kFirstConnectMs = 500;
constexpr int kRetryConnectMs = 3000;
constexpr int kReconnectMs = 500;
constexpr int kPollMs = 30;
const int kColumnWidths[] = {50, 100, 200, 100, 100};
// The end of a wake-up pulse is spun for this long: more than a sleep of a
// loaded machine oversleeps.
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), link(nullptr), pollTimer(nullptr),
      rpm(0), coValue(0), actionStep(0), selectedRow(0), ecuRow(0), running(true),
      selectionPending(false), sessionState(0), scanPass(0), nextCommand(0xCA),
      coWindow(nullptr)
{
    ui->setupUi(this);
    setWindowIcon(QIcon(":/img/icon.png"));

    pollTimer = new QTimer();
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked()));
    connect(ui->comboBox, SIGNAL(currentIndexChanged(int)), this,
            SLOT(comboBox_typeChanged(int)));
    running = true;

    coWindow = new CoWindow();
    connect(coWindow, SIGNAL(up_clicked()), this, SLOT(up_clicked()));
    connect(coWindow, SIGNAL(down_clicked()), this, SLOT(down_clicked()));
    connect(coWindow, SIGNAL(cylChanged(int)), this, SLOT(cyl_changed(int)));

    link = new UsbSerial();
    connect(link, SIGNAL(ftdiwriteError()), this, SLOT(ftdiwriteError()));
    QTimer::singleShot(kFirstConnectMs, this, SLOT(connect_clicked()));

    rpm = coValue = sessionState = scanPass = actionStep = selectedRow = ecuRow = 0;
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

    cmdHold = KwpFrames::Hold;
    cmdUp = KwpFrames::Up;
    cmdDown = KwpFrames::Down;
    cmdAction = KwpFrames::Action;
    cmdTesterPresent = KwpFrames::TesterPresent;
    cmdReadDtcCurrent = KwpFrames::ReadDtcCurrent;
    cmdClearDtc = KwpFrames::ClearDtc;
    cmdReadDtcHistory = KwpFrames::ReadDtcHistory;

    load_errorlist_auto();
}

MainWindow::~MainWindow()
{
    delete link;
    delete ui;
}

void MainWindow::connect_clicked()
{
    if (link->Connect()) {
        linkLost = false;
        link->writeDataBit(1);
        pollTimer->start(kPollMs);
        qDebug().noquote() << "Connected.";
        ui->statusBar->showMessage("Connected-Engine Off");
        return;
    }
    qDebug().noquote() << "Not Connect.";
    ui->statusBar->showMessage("Not Connect.");
    QTimer::singleShot(kRetryConnectMs, this, SLOT(connect_clicked()));
}

void MainWindow::ftdiwriteError()
{
    rpm = coValue = sessionState = 0;
    linkLost = true;
    pollTimer->stop();
    restoreWaitCursors();
    ui->statusBar->showMessage("Not Connect.");
    QTimer::singleShot(kReconnectMs, this, SLOT(connect_clicked()));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    pollTimer->stop();
    disconnect(pollTimer, SIGNAL(timeout()), this, SLOT(send_clicked()));
    disconnect(link, SIGNAL(ftdiwriteError()), this, SLOT(ftdiwriteError()));
    if (link->isConnected())
        qDebug().noquote() << "Disconnected";
    running = false;
    event->accept();
}
