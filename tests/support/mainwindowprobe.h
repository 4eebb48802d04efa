// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOWPROBE_H
#define MAINWINDOWPROBE_H

#include "ecu/itemwalk.h"
#include "session/sessionengine.h"
#include "support/cycleaccess.h"
#include "support/engineaccess.h"
#include "ui/mainwindow.h"
#include "ui/tablemenu.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>

class CoWindow;
class UsbSerial;

// A test's view into the window: what the session engine holds, and the
// widgets the mechanic sees.
class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow &window) : w(window), e(*window.engine()) {}

    SessionEngine &engine() const { return e; }
    QTimer *pollTimer() const { return e.pollTimer(); }
    UsbSerial *link() const { return e.link(); }
    CoWindow *coWindow() const { return w.coDialog(); }
    int sessionState() const { return e.sessionState(); }
    int selectedRow() const { return e.selectedRow(); }
    int ecuRow() const { return e.ecuRow(); }
    int actionStep() const { return hasWalk() ? walk().actionStep() : 0; }
    int rpm() const { return e.rpm(); }
    int coValue() const { return e.coValue(); }
    bool selectionPending() const { return hasWalk() && walk().selectionPending(); }
    bool running() const { return e.running(); }
    QString vehicleType() const { return e.vehicleType(); }
    const QList<QString> &itemList() const { return e.itemList(); }
    const QList<int> &rowCodes() const { return e.rowCodes(); }
    int rowOf(int code) const { return e.rowCodes().indexOf(code); }
    const QList<QString> &errorList() const { return e.errorList(); }

    // A row shown in the table (and known to the engine), not to the cycle.
    void appendItemRow(int code)
    {
        Effects added;
        added.addRow = code;
        EngineAccess::show(e, added);
    }
    bool selectionCursor() const { return w.selectionCursor; }
    bool actionCursor() const { return w.actionCursor; }

    void delay(int ms) { e.delay(ms); }
    void delayLogin(int ms) { e.delayLogin(ms); }
    void clearTable() { e.clearTable(); }
    void setDisplay() { e.redisplay(); }

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
    QString convert(const QString &code, const QString &raw) { return w.convertdiagval(code, raw); }

    // --- the cycle under way ---
    Cycle *cycle() const { return e.cycle(); }
    template <class C>
    C *cycleAs(Cycle::Kind kind) const
    {
        return e.cycle() && e.cycle()->kind() == kind ? static_cast<C *>(e.cycle()) : nullptr;
    }
    AutoCycle *autoCycle() const { return cycleAs<AutoCycle>(Cycle::Kind::Auto); }
    AutoCoCycle *autoCoCycle() const { return cycleAs<AutoCoCycle>(Cycle::Kind::AutoCo); }
    KwpCycle *kwpCycle() const { return cycleAs<KwpCycle>(Cycle::Kind::Kwp); }
    KwpCoCycle *kwpCoCycle() const { return cycleAs<KwpCoCycle>(Cycle::Kind::KwpCo); }
    int sessionSerial() const { return e.sessionSerial(); }
    // The polling cycle's table, pointer, selection and press (none while
    // the CO window is open).
    bool hasWalk() const { return e.cycle() && e.cycle()->walk(); }
    ItemWalk &walk() const { return *e.cycle()->walk(); }
    const ActionRequest &actionRequest() const { return walk().request(); }
    int pointerRows() const { return walk().pointerRows(); }
    int scanPass() const { return walk().scanPass(); }
    // Puts the cycle under way in `state` (a sessionState value), as its own
    // transition would, and shows it.
    void setSessionState(int state)
    {
        CycleAccess::enterState(*e.cycle(), state);
        EngineAccess::show(e, Effects());
    }
    // Appends a row to the polling cycle's table and shows it (a row after
    // the items when `closing`), as a scan would.
    void addRow(int code, bool closing = false)
    {
        closing ? walk().addClosingRow(code) : walk().addItemRow(code);
        Effects added;
        added.addRow = code;
        EngineAccess::show(e, added);
    }
    // Puts the pointer on `row` as if the ECU had walked there and said so.
    void placePointer(int row)
    {
        EcuPointer &pointer = walk().pointer();
        pointer.startOnFirstRow();
        while (pointer.row() < row)
            pointer.moved(1);
        pointer.reported(walk().codeAt(row), walk().codes(), walk().pointerRows());
        EngineAccess::show(e, Effects());
    }
    // Engine speed and CO as if a reading had just decoded them.
    void setReading(int rpm, int co)
    {
        Effects reading;
        reading.rpm = rpm;
        reading.co = co;
        EngineAccess::show(e, reading);
    }
    // Shows the cycle's state as it is now (after a hand put it there).
    void mirror() { EngineAccess::show(e, Effects()); }
    // The wake-up pulses the KWP cycles try next.
    int kwpPulseMs() const { return e.pulseMs(Cycle::Kind::Kwp); }
    int kwpCoPulseMs() const { return e.pulseMs(Cycle::Kind::KwpCo); }
    // A new cycle, as a new session of the window gets: the CO window's
    // own when `co`.
    void freshCycle(bool co) { EngineAccess::freshCycle(e, co); }

    // --- what the session showed: the journal, the table's menu ---
    SessionJournal &journal() { return w.sessionJournal(); }
    TableMenu *tableMenu() const { return w.findChild<TableMenu *>(); }

    // --- fuzzing and fault injection ---
    void restoreWaitCursors() { w.restoreWaitCursors(); }

private:
    MainWindow &w;
    SessionEngine &e;
};

#endif // MAINWINDOWPROBE_H
