// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RANDOMMECHANIC_H
#define RANDOMMECHANIC_H

// A random mechanic at the main window, on virtual time: a seeded stream of
// clicks (any row, twice, Action, the type box, the CO window and its keys,
// the cylinder box) and of trouble (the cable pulled, a write failing, the
// ECU silent, garbled or late), each at a random point, so most land inside
// a tick's waits. After every step it checks what the mechanic and the ECU
// would see:
//   - every check or clear the ECU gets answers an Action pressed on that
//     item's row, in the same session, before anything else intervened;
//   - the table lists the ECU's items in its order, and each Value cell
//     holds a value its own item has had;
//   - a wait cursor shows exactly while something asked for is pending, and
//     Action is on only for a selected actuator row.
// From time to time it stops and settles: the trouble ends, and within a
// bounded time the session is up, a row it picks shows its value with no
// cursor left, and Action there reaches the ECU.
//
// A run is reproduced by its family, seed and step count.

#include "mechanicbike.h"

#include "support/mainwindowprobe.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <memory>
#include <random>

class MainWindow;

namespace mechanic {

struct Outcome {
    long steps = 0;
    long settles = 0;
    long presses = 0;   // Action presses the tool took up
    long checkKeys = 0; // acts the ECU answered for a press
    long clears = 0;
    long coWindows = 0;
    long troubles = 0; // faults injected
    long virtualSeconds = 0;
    QString violation; // empty: none
    long violationStep = -1;
    QStringList lastLog;  // the tool's last log lines before a violation
    quint64 lineHash = 0; // every byte written and its time, from the run's start
    long chartActs = 0;
};

struct Options {
    bool chart = false; // the chart window open, worked by a second hand
};

class ChartWatcher;

class RandomMechanic
{
public:
    RandomMechanic(Family family, std::uint64_t seed, Options options = {});
    ~RandomMechanic();
    RandomMechanic(const RandomMechanic &) = delete;
    RandomMechanic &operator=(const RandomMechanic &) = delete;

    Outcome run(long steps);

private:
    struct Press {
        Family family;
        int row;
        int code;
        bool clear; // on a KWP fault-code row
        int ecuSession;
        int appSession;
        int actsAllowed;
        int acts = 0;
        bool revoked = false;
    };

    void scheduleNext();
    void step();
    void act();
    void finishSoon();
    void clickRow(bool twice);
    void pressAction();
    void toggleType();
    void openCo();
    void coAction();
    void trouble();
    void settle();
    bool settleSession();
    bool settleRow(int row);
    QString routes();
    QString where();

    void onAct(Family family, const sim::EcuAct &act);
    void revokeWaiting(int exceptRow);
    void revokeAll();
    void noteValues();
    void checkInvariants();
    void violate(const QString &what);

    Family family() const;
    int pick(int n) { return int(rng_() % std::uint64_t(n)); }
    bool chance(int percent) { return pick(100) < percent; }
    QString expected(Family family, int row);

    Family startFamily_;
    std::mt19937_64 rng_;
    std::shared_ptr<Bike> bike_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<MainWindowProbe> probe_;
    QObject context_;
    QVector<Press> presses_;
    QVector<QSet<QString>> allowed_[2]; // per family and row: values shown so far
    Outcome out_;
    long target_ = 0;
    bool stopping_ = false;
    bool settleDue_ = false;
    bool settling_ = false;
    bool coOpen_ = false;
    std::unique_ptr<ChartWatcher> chart_;
};

} // namespace mechanic

#endif // RANDOMMECHANIC_H
