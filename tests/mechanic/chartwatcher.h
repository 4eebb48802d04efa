// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CHARTWATCHER_H
#define CHARTWATCHER_H

// The random mechanic's second hand, on the chart window: it opens the
// chart through the table's menu and, on a clock and a random stream of its
// own (so the mechanic's stream and the line stay as they are without it),
// pauses and resumes it, changes its span, picks items in it, right-clicks
// rows of the table and redraws. It checks that the chart is still open and
// that what the session journal holds of each item is what its Value cell
// shows.

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <random>

class MainWindowProbe;

namespace mechanic {

class ChartWatcher
{
public:
    // `violate` hears what went wrong.
    ChartWatcher(MainWindowProbe &probe, std::uint64_t seed,
                 std::function<void(const QString &)> violate);
    ~ChartWatcher();
    ChartWatcher(const ChartWatcher &) = delete;
    ChartWatcher &operator=(const ChartWatcher &) = delete;

    // Empty when all holds.
    QString check() const;
    long acts() const { return acts_; }

private:
    void act();
    int pick(int n) { return int(rng_() % std::uint64_t(n)); }

    MainWindowProbe &probe_;
    std::mt19937_64 rng_;
    std::function<void(const QString &)> violate_;
    QObject context_;
    QTimer timer_;
    long acts_ = 0;
};

} // namespace mechanic

#endif // CHARTWATCHER_H
