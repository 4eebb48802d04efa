// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "auto/autococycle.h"
#include "auto/autocycle.h"
#include "effects.h"
#include "kwp/kwpcocycle.h"
#include "kwp/kwpcycle.h"
#include "sessionjournal.h"
#include "sessionstate.h"

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QCloseEvent;
class QTimer;
class CableStatus;
class CoWindow;
class UsbSerial;

namespace Ui {
class MainWindow;
}

// The one window of the tool. The protocol cycles of both ECU families are
// slots of this class (auto/ and kwp/). What a tick sends and what it makes
// of the answer is decided by a window-free cycle object of each kind
// (AutoCycle, AutoCoCycle, KwpCycle, KwpCoCycle) that owns its state; the
// slots exchange its requests over the link and apply its effects in one
// place, then show its state in the shared members below.
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
    void clearShownTable();
    QString rowCode(int row) const; // empty when the row has none
    void writeValue(int row, const QString &value);

    // --- the cycle of the session under way (app/cycles.cpp) ---
    void startCycle();
    void apply(const Effects &effects);
    void mirror();
    const ItemWalk *walk() const;
    bool sessionUp() const { return sessionState == SessionState::Up; }
    void showWaitCursor(bool &shown, bool wanted);
    void restoreWaitCursors();
    void overtakeTicks() { ++cycleEpoch; }

    // --- poll timer routing (app/routing.cpp) ---
    void routePollTimerToCo(bool co);

    // --- the exchanges of both families (auto/, kwp/) ---
    template <class Cycle>
    void autoTick(const Tick &tick, Cycle &cycle);
    template <class Cycle>
    void kwpTick(const Tick &tick, Cycle &cycle);
    QString kwpExchange(const KwpStep &request);
    bool kwpWakeUp(const Tick &tick, int pulseMs);
    void coKey(std::uint8_t key);

    Ui::MainWindow *ui;
    UsbSerial *link;
    QTimer *pollTimer;
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
    CoWindow *coWindow;
    QString cmdUp, cmdHold, cmdDown, cmdAction;
    QString cmdTesterPresent;
    QString cmdClearDtc, cmdReadDtcHistory, cmdReadDtcCurrent;
    QString vehicleType;

    // The cycle the poll timer drives, one of the four; a new one for every
    // session of the window (another type, the CO window, a lost line). The
    // slots hold a share while they wait, so a cycle replaced meanwhile
    // lives until its tick has seen that it was overtaken.
    std::shared_ptr<AutoCycle> autoCycle;
    std::shared_ptr<AutoCoCycle> autoCoCycle;
    std::shared_ptr<KwpCycle> kwpCycle;
    std::shared_ptr<KwpCoCycle> kwpCoCycle;
    bool coMode = false;
    // The wake-up pulses that last woke the ECU, each cycle's own: they
    // belong to the cable and the ECU, not to one session.
    int kwpPulseMs;
    int kwpCoPulseMs;

    QTimer *connectTimer = nullptr;     // the next connection attempt
    CableStatus *cableStatus = nullptr; // why the cable would not open
    int sessionSerial = 0;              // changes whenever a session comes up or ends
    int cycleEpoch = 0;                 // changes whenever a running tick must stand aside
    bool kwpLineSlow = false;           // the KWP cycle has put the line at 10400 baud

    // Each protocol slot runs one tick at a time (app/tick.h).
    struct CycleBusy {
        bool autoCycle = false, kwpCycle = false, autoCo = false, kwpCo = false;
    } busy;

    // One wait cursor at most for each kind of pending work.
    bool selectionCursor = false;
    bool actionCursor = false;

    // What the session showed, for the chart, the CSV and the report.
    SessionJournal journal;
};

#endif // MAINWINDOW_H
