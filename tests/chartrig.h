// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CHARTRIG_H
#define CHARTRIG_H

// A window on virtual time over a simulated bike whose throttle (item 1)
// climbs and falls as it is read, so that every reading changes the Value
// cell; the session journal on the same clock, and a record of every
// change of a Value cell as the mechanic saw it.
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"
#include "virtualtime.h"

#include "ecu/sessionstate.h"
#include "sim/autoecu.h"
#include "sim/demobike.h"
#include "sim/kwpecu.h"
#include "ui/chartwindow.h"
#include "ui/cowindow.h"

#include <QAction>
#include <QTableWidget>

#include <memory>

namespace chartrig {

enum class Family { Auto, Kwp, Demo };
constexpr int kThrottle = 1;
constexpr int kCeiling = 60000;
const QDateTime kStart(QDate(2026, 12, 8), QTime(9, 30, 0), Qt::OffsetFromUTC, 7 * 3600);

// What a Value cell showed, and when (ms since the journal's start).
struct Shown {
    qint64 ms;
    int code;
    QString text;
};

inline sim::AutoEcuConfig autoBike()
{
    sim::AutoEcuConfig c = sim::AutoEcuConfig::vixion();
    c.ramps[kThrottle] = sim::Ramp{2, 162, 4};
    return c;
}

// Rows 1, 3, 5, 6, then 61 and 62; stored codes to read and clear.
inline sim::KwpEcuConfig kwpBike()
{
    sim::KwpEcuConfig c;
    c.items = {{1, 0x20}, {3, 0x60}, {5, 0x50}, {6, 0x5A}};
    c.items[0].ramp = sim::Ramp{0x10, 0x70, 4};
    c.history = {{0x0113, 0x20}, {0x0335, 0x20}};
    c.current = {{0x0122, 0xA1}};
    return c;
}

class Rig
{
public:
    explicit Rig(Family family) : family_(family)
    {
        sim::VirtualCable::instance().reset();
        if (family == Family::Auto)
            sim::VirtualCable::instance().seat(std::make_shared<sim::AutoEcu>(autoBike()));
        else if (family == Family::Kwp)
            sim::VirtualCable::instance().seat(std::make_shared<sim::KwpEcu>(kwpBike()));
        else
            sim::VirtualCable::instance().seat(sim::makeDemoBike());
        window.reset(new MainWindow);
        probe.reset(new MainWindowProbe(*window));
        zeroMs_ = VirtualTime::nowMs();
        probe->journal().setClock(&VirtualTime::nowMs, kStart);
        QObject::connect(probe->table()->model(), &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex &from, const QModelIndex &to) {
            for (int row = from.row(); row <= to.row(); ++row) {
                if (from.column() <= 3 && to.column() >= 3)
                    shown_.append({VirtualTime::nowMs() - zeroMs_, probe->rowCodes().value(row),
                                   probe->cell(row, 3)});
            }
        });
        if (family == Family::Kwp)
            probe->typeBox()->setCurrentIndex(1);
    }
    ~Rig()
    {
        destroyWindow();
        sim::VirtualCable::instance().reset();
    }
    // The window goes, with what it leaves to the process (its CO window).
    void destroyWindow()
    {
        if (!window)
            return;
        CoWindow *co = probe->coWindow();
        probe->pollTimer()->stop();
        probe->restoreWaitCursors();
        probe.reset();
        window.reset();
        delete co;
    }

    bool sessionUp(int timeoutMs = kCeiling)
    {
        return waitUntil([this] {
            return probe->sessionState() == SessionState::Up && rowOf(kThrottle) >= 0;
        }, timeoutMs);
    }
    int rowOf(int code) const { return probe->rowCodes().indexOf(code); }
    // Clicks the row of `code` and waits for its first value.
    bool select(int code, int timeoutMs = kCeiling)
    {
        const int row = rowOf(code);
        if (row < 0)
            return false;
        const int before = shownOf(code).size();
        probe->clickRow(row);
        return waitUntil([&] { return shownOf(code).size() > before; }, timeoutMs);
    }
    // Runs until the cells have shown `count` more values of `code`.
    bool moreValues(int code, int count, int timeoutMs = kCeiling)
    {
        const qint64 target = valuesOf(code) + count;
        return waitUntil([&] { return valuesOf(code) >= target; }, timeoutMs);
    }
    qint64 valuesOf(int code) const
    {
        const ItemHistory *item = probe->journal().item(code);
        return item ? item->values() : 0;
    }
    ChartWindow *openChart()
    {
        probe->tableMenu()->chartAction()->trigger();
        return probe->tableMenu()->chartWindow();
    }
    qint64 nowMs() const { return VirtualTime::nowMs() - zeroMs_; }

    QList<Shown> shownOf(int code) const
    {
        QList<Shown> out;
        for (const Shown &s : shown_) {
            if (s.code == code && !s.text.isEmpty())
                out.append(s);
        }
        return out;
    }
    // The journal's values of `code`, gaps left out.
    QList<Sample> seriesOf(int code) const
    {
        QList<Sample> out;
        const ItemHistory *item = probe->journal().item(code);
        for (int i = 0; item && i < item->samples().size(); ++i) {
            if (!item->samples().at(i).isGap())
                out.append(item->samples().at(i));
        }
        return out;
    }
    // The pieces of line of `code` as the journal holds them: [first, last] ms.
    QList<QPair<qint64, qint64>> piecesOf(int code) const
    {
        QList<QPair<qint64, qint64>> out;
        const ItemHistory *item = probe->journal().item(code);
        bool open = false;
        for (int i = 0; item && i < item->samples().size(); ++i) {
            const Sample &s = item->samples().at(i);
            if (s.isGap()) {
                open = false;
            } else if (!open) {
                out.append({s.ms, s.ms});
                open = true;
            } else {
                out.last().second = s.ms;
            }
        }
        return out;
    }

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowProbe> probe;

private:
    Family family_;
    qint64 zeroMs_ = 0;
    QList<Shown> shown_;
};

} // namespace chartrig

#endif // CHARTRIG_H
