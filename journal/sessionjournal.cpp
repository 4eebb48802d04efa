// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/sessionjournal.h"

#include "ecu/faultrows.h"
#include "ecu/valuepace.h"

#include <QElapsedTimer>

namespace {
const int kFaultItems[] = {FaultRows::EepromFault, FaultRows::History, FaultRows::Current,
                           FaultRows::Reinstatement};
constexpr int kHistoryRow = FaultRows::History;
constexpr int kCurrentRow = FaultRows::Current;
const char kXmax[] = "xmax";

FaultLedger::Row faultRow(int code)
{
    return code == kHistoryRow ? FaultLedger::History : FaultLedger::Current;
}
} // namespace

const int SessionJournal::SamplesPerItem = 3600 * 1000 / ValuePace::FastestMs;

SessionJournal::SessionJournal(QObject *parent) : QObject(parent)
{
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    setClock([steady] { return steady->elapsed(); }, QDateTime::currentDateTime());
}

SessionJournal::~SessionJournal() = default;

void SessionJournal::setClock(Clock clock, const QDateTime &wallAtZero)
{
    clock_ = std::move(clock);
    zero_ = clock_();
    wallAtZero_ = wallAtZero;
}

qint64 SessionJournal::nowMs() const
{
    return clock_() - zero_;
}

QDateTime SessionJournal::wallTime(qint64 ms) const
{
    return wallAtZero_.addMSecs(ms);
}

const ItemHistory *SessionJournal::item(int code) const
{
    const auto it = items_.find(code);
    return it == items_.end() ? nullptr : it->get();
}

bool SessionJournal::isFaultItem(int code)
{
    for (int fault : kFaultItems) {
        if (fault == code)
            return true;
    }
    return false;
}

void SessionJournal::valueShown(int number, const QString &name, const QString &value,
                                const QString &unit)
{
    if (number < 0)
        return;
    // Another item polled in between: the line of this one breaks.
    if (number != lastCode_)
        ++run_;
    lastCode_ = number;
    auto &history = items_[number];
    if (!history) {
        history = std::make_shared<ItemHistory>(number, SamplesPerItem);
        order_.append(number);
    }
    const qint64 now = nowMs();
    history->record(now, name, unit, value, run_);
    // The Auto count of stored codes is a plain item; its history code
    // comes with its explanation (faultsRead).
    if (family_ == FaultLedger::Auto && number == kCurrentRow)
        ledger_.read(FaultLedger::Auto, FaultLedger::Current, {true, now, value.toInt(), {}});
    ++revision_;
    emit changed();
}

void SessionJournal::itemSelected(int number)
{
    if (number < 0 || number == selected_)
        return;
    selected_ = number;
    emit selectionChanged();
}

void SessionJournal::tableCleared()
{
    breakLines();
    if (selected_ == -1)
        return;
    selected_ = -1;
    emit selectionChanged();
}

void SessionJournal::sessionChanged()
{
    breakLines();
}

void SessionJournal::cableLost()
{
    breakLines();
}

void SessionJournal::typeChosen(const QString &vehicleType)
{
    family_ = vehicleType == QLatin1String(kXmax) ? FaultLedger::Xmax : FaultLedger::Auto;
    breakLines();
}

void SessionJournal::breakLines()
{
    ++run_;
    lastCode_ = -1;
    ++revision_;
    emit changed();
}

void SessionJournal::addOnce(QStringList &list, const QString &text)
{
    if (!text.isEmpty() && !list.contains(text))
        list.append(text);
}

void SessionJournal::ecuNamed(const QString &name)
{
    addOnce(family_ == FaultLedger::Xmax ? kwpIdentities_ : autoModels_, name);
}

void SessionJournal::faultsRead(int rowCode, const FaultReading &reading)
{
    if (rowCode != kHistoryRow && rowCode != kCurrentRow)
        return;
    FaultReading stamped = reading;
    stamped.ms = nowMs();
    ledger_.read(family_, faultRow(rowCode), stamped);
}

void SessionJournal::faultsCleared()
{
    ledger_.cleared(family_, nowMs());
}
