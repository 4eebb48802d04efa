// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SESSIONJOURNAL_H
#define SESSIONJOURNAL_H

// What this run of the tool has shown the mechanic, kept for the chart,
// the CSV and the report: every value a Value cell showed, with its time;
// where the polling broke off (another item, a new table, the session or
// the cable lost, another vehicle type); the ECU the logins identified; the
// fault codes the cycles read and the clears they carried out.
//
// It only listens: the window tells it with one call where a thing happens
// and it sends nothing, waits for nothing and asks the ECU nothing. QtCore
// only, so that it is tested without a window. Its memory is bounded: a
// ring per item (one hour at the fastest polling pace) and a fixed number
// of clears.
#include "journal/faultledger.h"
#include "journal/itemhistory.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class SessionJournal : public QObject
{
    Q_OBJECT

public:
    // Milliseconds on a monotonic clock.
    using Clock = std::function<qint64()>;

    // The values an item keeps: one hour at the fastest pace of any cycle,
    // the Auto session's one value a tick.
    static const int SamplesPerItem;

    explicit SessionJournal(QObject *parent = nullptr);
    ~SessionJournal() override;

    // Time 0 is now on `clock`, and `wallAtZero` on the calendar.
    void setClock(Clock clock, const QDateTime &wallAtZero);

    // --- what the window reports ---
    void valueShown(int code, const QString &name, const QString &value, const QString &unit);
    void itemSelected(int code);
    void tableCleared();
    void sessionChanged(); // a session came up or ended
    void cableLost();
    void typeChosen(const QString &vehicleType);
    // The ECU as its login identified it: the Auto model, or what a KWP ECU
    // answered to the local identifier 0xFE.
    void ecuNamed(const QString &name);
    // What a fault-code row (61 the history, 62 the stored codes) read.
    void faultsRead(int rowCode, const FaultReading &reading);
    // The ECU was told to erase its fault codes.
    void faultsCleared();

    // --- what it holds ---
    qint64 nowMs() const;
    QDateTime wallTime(qint64 ms) const;
    QDateTime startedAt() const { return wallAtZero_; }
    // Items in the order the cells first showed them.
    QList<int> codes() const { return order_; }
    const ItemHistory *item(int code) const;
    // The item of the row the mechanic chose last; -1 after a new table,
    // until a row is chosen again.
    int selectedCode() const { return selected_; }
    // The item whose value the cells showed last (-1: none yet).
    int lastCode() const { return lastCode_; }
    // Changes with every value and every break.
    quint64 revision() const { return revision_; }
    FaultLedger::Family family() const { return family_; }
    // The models the Auto logins named, and what KWP ECUs identified
    // themselves as, each once, in the order met.
    QStringList autoModels() const { return autoModels_; }
    QStringList kwpIdentities() const { return kwpIdentities_; }
    const FaultLedger &faults() const { return ledger_; }

    // Items whose values are fault codes or their count: numbers, but no
    // line to draw.
    static bool isFaultItem(int code);

signals:
    void changed();
    void selectionChanged();

private:
    void breakLines();
    static void addOnce(QStringList &list, const QString &text);

    Clock clock_;
    qint64 zero_ = 0;
    QDateTime wallAtZero_;
    QMap<int, std::shared_ptr<ItemHistory>> items_;
    QList<int> order_;
    int run_ = 0;
    int lastCode_ = -1;
    int selected_ = -1;
    quint64 revision_ = 0;
    FaultLedger::Family family_ = FaultLedger::Auto;
    QStringList autoModels_, kwpIdentities_;
    FaultLedger ledger_;
};

#endif // SESSIONJOURNAL_H
