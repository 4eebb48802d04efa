// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOWPROBE_H
#define MAINWINDOWPROBE_H

#include "cycleaccess.h"
#include "mainwindow.h"
#include "tablemenu.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>

class CoWindow;
class UsbSerial;

// A test's view into the window: the shared members by name, and the
// widgets the mechanic sees.
class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow &window) : w(window) {}

    QTimer *pollTimer() const { return w.pollTimer; }
    UsbSerial *link() const { return w.link; }
    CoWindow *coWindow() const { return w.coWindow; }
    int sessionState() const { return w.sessionState; }
    int &selectedRow() { return w.selectedRow; }
    int &ecuRow() { return w.ecuRow; }
    int actionStep() const { return w.actionStep; }
    int &rpm() { return w.rpm; }
    int &coValue() { return w.coValue; }
    bool selectionPending() const { return w.selectionPending; }
    bool &running() { return w.running; }
    QString &vehicleType() { return w.vehicleType; }
    QList<QString> &itemList() { return w.itemList; }
    QList<QString> &rowCodes() { return w.rowCodes; }
    QList<QString> &errorList() { return w.errorList; }
    QStringList kwpCommands() const
    {
        return {
            w.cmdHold,           w.cmdUp,       w.cmdDown,          w.cmdAction, w.cmdTesterPresent,
            w.cmdReadDtcCurrent, w.cmdClearDtc, w.cmdReadDtcHistory};
    }

    void appendItemRow(int code) { w.appendItemRow(code); }
    void delay(int ms) { w.delay(ms); }
    void delayLogin(int ms) { w.delay_login(ms); }
    void clearTable() { w.clear_table(); }
    void setDisplay() { w.setDisplay(); }

    QTableWidget *table() const { return w.findChild<QTableWidget *>("tableWidget"); }
    QComboBox *typeBox() const { return w.findChild<QComboBox *>("comboBox"); }
    QPushButton *actionButton() const { return w.findChild<QPushButton *>("pushButton"); }
    QPushButton *coButton() const { return w.findChild<QPushButton *>("pushButton_co"); }
    QLabel *infoLabel() const { return w.findChild<QLabel *>("label_info"); }
    QLabel *checkLabel() const { return w.findChild<QLabel *>("label_check"); }
    QString status() const { return w.statusBar()->currentMessage(); }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem *item = table()->item(row, column);
        return item ? item->text() : QString();
    }
    // What a mouse click on a row does: make it current, then cellClicked.
    void clickRow(int row, int column = 2) const
    {
        table()->setCurrentCell(row, column);
        emit table() -> cellClicked(row, column);
    }

    // --- Auto family ---
    bool selectionCursor() const { return w.selectionCursor; }
    bool actionCursor() const { return w.actionCursor; }
    QString convert(const QString &code, const QString &raw) { return w.convertdiagval(code, raw); }

    // --- the cycle under way (one of the four; the others are null) ---
    AutoCycle *autoCycle() const { return w.autoCycle.get(); }
    AutoCoCycle *autoCoCycle() const { return w.autoCoCycle.get(); }
    KwpCycle *kwpCycle() const { return w.kwpCycle.get(); }
    KwpCoCycle *kwpCoCycle() const { return w.kwpCoCycle.get(); }
    int sessionSerial() const { return w.sessionSerial; }
    // The polling cycle's table, pointer, selection and press (none while
    // the CO window is open).
    bool hasWalk() const { return w.autoCycle || w.kwpCycle; }
    ItemWalk &walk() const
    {
        return w.autoCycle ? CycleAccess::walk(*w.autoCycle) : CycleAccess::walk(*w.kwpCycle);
    }
    const ActionRequest &actionRequest() const { return walk().request(); }
    int pointerRows() const { return walk().pointerRows(); }
    int scanPass() const { return walk().scanPass(); }
    // Puts the cycle under way in `state` (a sessionState value), as its own
    // transition would, and shows it.
    void setSessionState(int state)
    {
        if (w.autoCycle)
            CycleAccess::enter(*w.autoCycle, AutoCycle::State(state));
        else if (w.autoCoCycle)
            CycleAccess::setState(*w.autoCoCycle, AutoCoCycle::State(state));
        else if (w.kwpCycle)
            CycleAccess::enter(*w.kwpCycle, KwpCycle::State(state));
        else if (w.kwpCoCycle)
            CycleAccess::setState(*w.kwpCoCycle, KwpCoCycle::State(state));
        w.mirror();
    }
    // Appends a row to the table and to the polling cycle's (a fault-code
    // row when `fault`), as a scan would.
    void addRow(int code, bool fault = false)
    {
        fault ? walk().addFaultRow(code) : walk().addItemRow(code);
        w.appendItemRow(code);
    }
    // Puts the pointer on `row` as if the ECU had walked there and said so.
    void placePointer(int row)
    {
        EcuPointer &pointer = walk().pointer();
        pointer.startOnFirstRow();
        while (pointer.row() < row)
            pointer.moved(1);
        pointer.reported(walk().codeAt(row).toInt(), walk().codes(), walk().pointerRows());
        w.mirror();
    }
    void mirror() { w.mirror(); }
    // The wake-up pulses the KWP cycles try next.
    int kwpPulseMs() const { return w.kwpCycle ? w.kwpCycle->pulseMs() : w.kwpPulseMs; }
    int kwpCoPulseMs() const { return w.kwpCoCycle ? w.kwpCoCycle->pulseMs() : w.kwpCoPulseMs; }
    // A new cycle, as a new session of the window gets: the CO window's
    // own when `co`.
    void freshCycle(bool co)
    {
        w.coMode = co;
        w.startCycle();
    }

    // --- what the session showed: the journal, the table's menu ---
    SessionJournal &journal() { return w.journal; }
    TableMenu *tableMenu() const { return w.findChild<TableMenu *>(); }

    // --- fuzzing and fault injection ---
    void restoreWaitCursors() { w.restoreWaitCursors(); }

private:
    MainWindow &w;
};

#endif // MAINWINDOWPROBE_H
