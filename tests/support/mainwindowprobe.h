// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOWPROBE_H
#define MAINWINDOWPROBE_H

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
    int &sessionState() { return w.sessionState; }
    int &scanPass() { return w.scanPass; }
    int &selectedRow() { return w.selectedRow; }
    int &ecuRow() { return w.ecuRow; }
    int &actionStep() { return w.actionStep; }
    int &rpm() { return w.rpm; }
    int &coValue() { return w.coValue; }
    bool &selectionPending() { return w.selectionPending; }
    bool &running() { return w.running; }
    QString &expectedReply() { return w.expectedReply; }
    QString &vehicleType() { return w.vehicleType; }
    QString &currentCmd() { return w.currentCmd; }
    QString &queuedCmd() { return w.queuedCmd; }
    std::uint8_t &nextCommand() { return w.nextCommand; }
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
        emit table()->cellClicked(row, column);
    }

    // --- Auto family ---
    bool selectionCursor() const { return w.selectionCursor; }
    bool actionCursor() const { return w.actionCursor; }
    QString convert(const QString &code, const QString &raw) { return w.convertdiagval(code, raw); }

    // --- the pointer, the requests, the session ---
    EcuPointer &pointer() { return w.pointer; }
    int &pointerRows() { return w.pointerRows; }
    int sessionSerial() const { return w.sessionSerial; }
    ActionRequest &actionRequest() { return w.action; }
    QList<std::uint8_t> &coKeys() { return w.coKeys; }
    int &cylinderWanted() { return w.cylinderWanted; }
    void setSessionState(int state) { w.setSessionState(state); }
    void appendFaultRow(int code) { w.appendFaultRow(code); }
    // Puts the pointer on `row` as if the ECU had walked there and said so.
    void placePointer(int row)
    {
        w.pointer.startOnFirstRow();
        while (w.pointer.row() < row)
            w.pointer.moved(1);
        w.pointer.reported(w.rowCodes.value(row).toInt(), w.rowCodes, w.pointerRows);
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
