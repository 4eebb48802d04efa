// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SESSIONENGINE_H
#define SESSIONENGINE_H

#include "ecu/cycle.h"
#include "session/shown.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class ItemWalk;
class QTimer;
class TickGuard;
class UsbSerial;

// The ECU session, apart from the window: the link and its connection
// attempts, the poll timer, the live protocol cycle, its ticks and their
// waits, the wake-up pulse, the line speed, and what one session hands the
// next. It carries out the cycle's steps over the link and hands the cycle
// every answer; what the cycle decides, and what the engine decides of its
// own on a click or a key, it emits as Shown. It shows nothing itself.
//
// Everything runs on the GUI thread: the waits of a tick run nested event
// loops, so clicks, keys and timers are handled in the middle of a tick.
// Every handler therefore starts from the state as it finds it.
class SessionEngine : public QObject
{
    Q_OBJECT

public:
    explicit SessionEngine(QObject *parent = nullptr);
    ~SessionEngine() override;

    // --- the mechanic's hands, each answered by a Shown ---
    void chooseType(int index); // 0 Auto, any other Xmax
    void selectRow(int row);
    void pressAction();
    // The CO window opens (false, nothing done: the cable is not open) and closes.
    bool enterCo();
    void leaveCo();
    void coKey(std::uint8_t key); // Up or Down
    void chooseCylinder(int index);
    void clearTable();
    void redisplay(); // the CO window shows the values again, while a session is up
    // The window closes: no timer runs, no wait waits any longer.
    void close();

    // --- the catalogues the type box loads ---
    void loadAutoFaults();
    void loadXmaxFaults();

    // One tick of `kind`, if that is the live cycle (the poll timer's, or a
    // protocol slot's).
    void tick(Cycle::Kind kind);

    // The waits of a tick. delay runs the event loop for `ms`; delayLogin
    // is the busy wait of the wake-up pulse, which runs none. Both return at
    // once after close. Each is defined in a file of its own, so that a
    // harness can link its own in its place (virtual time, the fuzz targets).
    void delay(int ms);
    void delayLogin(int ms);

    // --- what the window and the tests read ---
    UsbSerial *link() const { return link_; }
    QTimer *pollTimer() const { return pollTimer_; }
    Cycle *cycle() const { return cycle_.get(); }
    const ItemWalk *walk() const;
    int sessionState() const { return cycle_ ? cycle_->state() : 0; }
    QString vehicleType() const { return vehicleType_; }
    bool coMode() const { return coMode_; }
    const QList<QString> &itemList() const { return itemList_; }
    const QList<QString> &errorList() const { return errorList_; }
    // The table as shown: each row's item code, the row chosen, where the
    // ECU stands.
    const QList<int> &rowCodes() const { return rowCodes_; }
    int selectedRow() const;
    int ecuRow() const;
    int rpm() const { return rpm_; }
    int coValue() const { return coValue_; }
    // Changes whenever a session comes up or ends.
    int sessionSerial() const { return sessionSerial_; }
    bool running() const { return running_; }
    // The wake-up pulse the cycle of `kind` tries first.
    int pulseMs(Cycle::Kind kind) const;

public slots:
    // An attempt to open the cable; linkOpened follows (at once on the
    // simulated cable, when the open's thread is done on a real one).
    void connectLink();
    void writeFailed();

signals:
    void shown(const Shown &shown);

private slots:
    void pollTimerExpired();
    void linkOpened(bool connected);

private:
    friend struct EngineAccess; // tests put the engine in a given state

    void startCycle(Shown &out);
    std::shared_ptr<Cycle> makeCycle(Cycle::Kind kind, const ItemWalk &shown) const;
    void show(const Effects &effects);
    void show(Shown &out);
    void clearShownTable(Shown &out);
    void showState(Shown &out);
    void run(const TickGuard &tick, Cycle &cycle);
    QByteArray exchange(const Step &step);
    bool wakeUp(const TickGuard &tick, const Step &step);
    void logReply(const Step &step, const QByteArray &reply);

    UsbSerial *link_ = nullptr;
    QTimer *pollTimer_ = nullptr;
    QTimer *connectTimer_ = nullptr; // the next connection attempt
    bool running_ = true;

    // The cycle the poll timer drives; a new one for every session (another
    // type, the CO window, a lost line). A tick holds a share while it
    // waits, so a cycle replaced meanwhile lives until its tick has seen
    // that it was overtaken.
    std::shared_ptr<Cycle> cycle_;
    std::array<bool, Cycle::Kinds> busy_{}; // each kind runs one tick at a time
    int epoch_ = 0;                         // changes whenever a running tick must stand aside
    bool coMode_ = false;
    QString vehicleType_;

    // Handed from one session to the next: the wake-up pulse that last woke
    // the ECU, for each kind of cycle (it belongs to the cable and the ECU),
    // a cylinder change the CO session left unmade, the row chosen and where
    // the ECU stood when the last polling session ended, and whether the
    // line was left at the KWP speed.
    std::array<int, Cycle::Kinds> pulseMs_;
    int cylinderOwed_ = 0;
    int carriedSelection_ = 0;
    int carriedPointer_ = 0;
    bool lineAtKwpSpeed_ = false;

    QList<QString> itemList_;
    QList<QString> errorList_;
    QList<int> rowCodes_;      // the table as shown
    QList<bool> actuatorRows_; // Action serves the row: decided when it was added
    bool actionEnabled_ = false;
    int rpm_ = 0;
    int coValue_ = 0;
    int shownState_ = 0; // the session state as last shown
    int sessionSerial_ = 0;
    bool selectionBusy_ = false;
    bool actionBusy_ = false;
};

#endif // SESSIONENGINE_H
