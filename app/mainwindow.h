#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <cstdint>

class QCloseEvent;
class QTimer;
class CoWindow;
class UsbSerial;

namespace Ui {
class MainWindow;
}

// The one window of the tool. The protocol cycles of both ECU families are
// slots of this class (auto/ and kwp/); they share the members below.
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
    friend class MainWindowProbe;   // tests read the shared members

    // --- shared table helpers (app/itemtable.cpp) ---
    void appendItemRow(int code);
    QString rowCode(int row) const;           // empty when the row has none
    void restoreWaitCursors();                // drops the cursors still pushed
    void pushWaitCursor(bool &pushed);
    void popWaitCursor(bool &pushed);

    // --- Auto family helpers (auto/) ---
    QString autoShownCode(const QString &field) const;
    void autoFollowEcu(const QString &field);
    void routePollTimerToCo(bool co);
    QString autoExchange(std::uint8_t key, int waitMs);   // write, wait, read
    void autoLoginTick();
    std::uint8_t autoLoginKey(int &step);
    void autoApplyModelCode(const QString &field);
    void autoAnnounceItem(const QStringList &fields);
    void autoLoginFallsBack();
    void autoSessionTick();
    std::uint8_t autoSessionKey();
    void autoSessionReply(const QStringList &fields);
    void autoSessionMalformed(int fieldCount);
    void autoShowValue(const QString &raw);
    void autoShowFaultHistory(const QString &value);
    void autoSessionDrops();
    void coLoginTick();
    void coJudgeLoginReply(const QStringList &fields);
    void coCountLoginReply(bool expected);
    void coCylinderTick();
    void coSessionTick();
    QString coReadReply();
    void coKey(std::uint8_t key);
    // The row the ECU stands on, counted from the moves really sent; a
    // click may have written ecuRow meanwhile.
    int autoEcuRow = 0;
    // What arrived for a CO tick while an Up/Down key was being sent: the
    // key's own reply is drained, the tick's is kept here for it.
    QString coCarriedReply;

    // --- KWP family helpers (kwp/) ---
    QString kwpExchange(const QString &cmd, bool dropComma = true);
    bool kwpAbandoned() const;
    void kwpRestartPoll(int ms);
    void kwpDropSession(const QString &logText, const QString &status, int ms);
    void kwpWakeUp(int pulseMs);
    void kwpPulseMissed(int &pulseMs);
    void kwpAbandonTick();
    void kwpLogin();
    bool kwpLoginEntry(int i, const QString &cmd);
    void kwpLoginReport(const QStringList &items);
    void kwpSearch();
    void kwpScan();
    void kwpScanRow(int code);
    void kwpStartScan();
    void kwpPoll();
    bool kwpPollFirstSend();
    void kwpPollShortAnswer(bool nothing);
    void kwpTakeAction();
    void kwpShowReport(const QStringList &items);
    void kwpShowValue(const QStringList &items);
    void kwpShowFaultCodes(const QStringList &items);
    void kwpResyncPointer();
    void kwpPointerStep();
    bool kwpOnFaultRow(int row) const;
    void kwpCoLogin();
    bool kwpCoLoginEntry(int i, const QString &cmd);
    void kwpCoRead();
    int kwpPointerRow = 0;       // table row the ECU pointer really stands on
    int kwpResumeState = 0;      // where a cylinder request leaves the cycle
    bool kwpLineSlow = false;    // the KWP cycle has put the line at 10400 baud
    // A write failed and the reconnect has not succeeded yet: a tick still
    // running must leave "Not Connect." and the stopped timer as they are.
    bool linkLost = false;

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

    // Each protocol cycle runs one tick at a time (app/tickguard.h).
    struct CycleBusy {
        bool autoCycle = false, kwpCycle = false, autoCo = false, kwpCo = false;
    } busy;

    // One wait cursor at most for each kind of pending work.
    bool selectionCursor = false;
    bool actionCursor = false;
};

#endif // MAINWINDOW_H
