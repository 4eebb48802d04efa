// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "actionrequest.h"
#include "ecupointer.h"

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <cstdint>

class QCloseEvent;
class QTimer;
class CableStatus;
class CoWindow;
class UsbSerial;

namespace Ui {
class MainWindow;
}

// The one window of the tool. The protocol cycles of both ECU families are
// slots of this class (auto/ and kwp/); they share the members below. What a
// tick sends and what it makes of the answer is decided by the window-free
// cycle objects of each family (AutoCycle, AutoCoCycle, KwpCycle,
// KwpCoCycle); the slots talk to the link and apply those decisions.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

public slots:
    QString convertdiagval(QString codestr, QString valstr);

private slots:
    void load_errorlist_auto();
    void load_errorlist_xmax();
    void connect_clicked();
    void send_clicked();
    void send_clicked_xmax();
    void comboBox_typeChanged(int index);
    void table_clicked();
    void action_clicked();
    void delay(int ms);
    void delay_login(int ms);
    void ftdiwriteError();
    void co_send_clicked_xmax();
    void co_clicked();
    void co_send_clicked();
    void up_clicked();
    void down_clicked();
    void setDisplay();
    void clear_table();
    void cyl_changed(int cyl);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    friend class MainWindowProbe; // tests read the shared members
    class Tick;                   // app/tick.h

    // --- the item table (app/itemtable.cpp) ---
    void appendItemRow(int code);
    void appendFaultRow(int code);
    void appendRow(int code);
    QString rowCode(int row) const; // empty when the row has none
    bool isFaultRow(int row) const { return row >= pointerRows && row < rowCodes.size(); }
    void writeValue(int row, const QString &value);

    // --- the mechanic's requests and the session (app/requests.cpp) ---
    void setSessionState(int state);
    bool sessionUp() const { return sessionState == 1; }
    void dropSelection();
    void dropAction();
    void dropRequests();
    void pushWaitCursor(bool &pushed);
    void popWaitCursor(bool &pushed);
    void restoreWaitCursors();
    void overtakeTicks() { ++cycleEpoch; }

    // --- poll timer routing (app/routing.cpp) ---
    void routePollTimerToCo(bool co);

    // --- Auto family (auto/) ---
    QString autoExchange(std::uint8_t key, int waitMs);
    void autoLoginTick(const Tick &tick);
    void autoAnnounce(int code);
    void autoSessionTick(const Tick &tick);
    std::uint8_t autoSessionKey();
    void autoSessionReply(const QStringList &fields);
    void autoSessionEnds();
    void autoShowValue(const QString &raw);
    void coLoginTick(const Tick &tick);
    void coCylinderTick(const Tick &tick);
    void coSessionTick(const Tick &tick);

    // --- KWP family (kwp/) ---
    QString kwpExchange(const QString &cmd, bool dropComma = true);
    void kwpDropSession(const QString &logText, const QString &status, int ms);
    bool kwpWakeUp(const Tick &tick, int &pulseMs);
    bool kwpLoginSequence(const Tick &tick, const QStringList &frames, const QString &logTag,
                          int &pulseMs, bool co);
    void kwpLogin(const Tick &tick);
    void kwpSearch(const Tick &tick);
    void kwpScan(const Tick &tick);
    void kwpPoll(const Tick &tick);
    void kwpShowPollAnswer(const QString &sent, const QStringList &items);
    void kwpShowFaultCodes(const QStringList &items);
    void kwpCoRead(const Tick &tick);

    Ui::MainWindow *ui;
    UsbSerial *link;
    QTimer *pollTimer;
    QString expectedReply;
    QList<QString> itemList;
    QList<QString> rowCodes;
    QList<QString> errorList;
    int rpm;
    int coValue;
    int actionStep;
    int selectedRow;
    int ecuRow;
    bool running;
    bool selectionPending;
    int sessionState;
    int scanPass;
    std::uint8_t nextCommand;
    CoWindow *coWindow;
    QString cmdUp, cmdHold, cmdDown, cmdAction;
    QString currentCmd;
    QString cmdTesterPresent;
    QString queuedCmd;
    QString cmdClearDtc, cmdReadDtcHistory, cmdReadDtcCurrent;
    QString vehicleType;

    // Where the ECU stands (writes ecuRow) and what Action asked of it.
    EcuPointer pointer{ecuRow};
    ActionRequest action;
    // Rows the ECU pointer can stand on: one per ECU item, in the ECU's
    // order from item 1. The KWP fault-code rows come after them.
    int pointerRows = 0;
    int scanMoves = 0;                  // moves sent since the scan met item 1
    QTimer *connectTimer = nullptr;     // the next connection attempt
    CableStatus *cableStatus = nullptr; // why the cable would not open
    int sessionSerial = 0;              // changes whenever a session comes up or ends
    int cycleEpoch = 0;                 // changes whenever a running tick must stand aside
    bool kwpLineSlow = false;           // the KWP cycle has put the line at 10400 baud
    QList<std::uint8_t> coKeys;         // Up/Down presses the CO cycle has still to send
    int cylinderWanted = 0;             // cylinder request (2 or 3) waiting for the CO session

    // Each protocol cycle runs one tick at a time (app/tick.h).
    struct CycleBusy {
        bool autoCycle = false, kwpCycle = false, autoCo = false, kwpCo = false;
    } busy;

    // One wait cursor at most for each kind of pending work.
    bool selectionCursor = false;
    bool actionCursor = false;
};

#endif // MAINWINDOW_H
