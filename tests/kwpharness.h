// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPHARNESS_H
#define KWPHARNESS_H

// The KWP test bench: a fresh main window set to "Xmax" over the simulated
// cable, with a simulated KWP ECU seated on it.
#include "support/logcapture.h"
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include "ecu/linebytes.h"
#include "sim/kwpecu.h"
#include "ui/cowindow.h"

#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

inline std::vector<std::uint8_t> frameBytes(const KwpFrame &frame)
{
    return std::vector<std::uint8_t>(frame.bytes, frame.bytes + frame.size);
}

struct KwpBench {
    explicit KwpBench(const sim::KwpEcuConfig &config = sim::KwpEcuConfig(), bool xmax = true)
        : ecu(std::make_shared<sim::KwpEcu>(config)), probe(window)
    {
        log.echo(qEnvironmentVariableIsSet("KWP_TEST_ECHO")); // for debugging a test
        sim::VirtualCable::instance().seat(ecu);
        if (xmax)
            probe.typeBox()->setCurrentIndex(1);
    }

    bool waitLogged(const QString &text, int ms = 20000) { return log.waitFor(text, ms); }
    bool waitPolling(int ms = 30000)
    {
        return waitUntil([this] {
            return probe.sessionState() == SessionState::Up && probe.table()->rowCount() > 0;
        }, ms);
    }
    QStringList column(int col) const
    {
        QStringList out;
        for (int r = 0; r < probe.table()->rowCount(); ++r)
            out << probe.cell(r, col);
        return out;
    }
    // The number of log lines so far that equal `text`.
    int logged(const QString &text) const { return log.count(text); }

    LogCapture log;
    std::shared_ptr<sim::KwpEcu> ecu;
    MainWindow window;
    MainWindowProbe probe;
};

// Runs `step` every few milliseconds, also inside the nested waits of a tick
// (where a test's own wait loop does not get control), until it returns true.
class Watcher
{
public:
    explicit Watcher(std::function<bool()> step, int periodMs = 2) : step_(std::move(step))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (step_())
                timer_.stop();
        });
        timer_.start(periodMs);
    }
    bool done() const { return !timer_.isActive(); }

private:
    std::function<bool()> step_;
    QTimer timer_;
};

#endif // KWPHARNESS_H
