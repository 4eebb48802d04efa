// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPSCRIPT_H
#define KWPSCRIPT_H

// KWP cycles played as scripts: a tick's steps asked for one by one, each
// frame answered by a function of the frame, and what the window would
// have shown gathered up. No window, no event loop, no clock.

#include "support/cycleaccess.h"
#include "support/replybytes.h"
#include "ui/statustexts.h"

#include <QStringList>

#include <functional>

namespace kwpscript {

inline QString nameOf(const KwpFrame &frame)
{
    static const char *const names[] = {"StartComm",
                                        "StartSession",
                                        "ReadLocalIdFE",
                                        "StartSession",
                                        "RoutineCE20",
                                        "Hold",
                                        "Up",
                                        "Down",
                                        "Action",
                                        "TesterPresent",
                                        "ClearDtc",
                                        "ReadDtcHistory",
                                        "ReadDtcCurrent"};
    const KwpFrame all[] = {KwpFrames::StartComm,
                            KwpFrames::StartSession,
                            KwpFrames::ReadLocalIdFE,
                            KwpFrames::StartSession,
                            KwpFrames::RoutineCE20,
                            KwpFrames::Hold,
                            KwpFrames::Up,
                            KwpFrames::Down,
                            KwpFrames::Action,
                            KwpFrames::TesterPresent,
                            KwpFrames::ClearDtc,
                            KwpFrames::ReadDtcHistory,
                            KwpFrames::ReadDtcCurrent};
    for (std::size_t i = 0; i < std::size(all); ++i)
        if (all[i] == frame)
            return QString::fromLatin1(names[i]);
    return QStringLiteral("?");
}
inline QString nameOf(const QByteArray &request)
{
    for (const KwpFrame &frame : KwpFrames::All)
        if (frame.toByteArray() == request)
            return nameOf(frame);
    return QStringLiteral("?");
}
inline KwpFrame frameOf(const QByteArray &request)
{
    for (const KwpFrame &frame : KwpFrames::All)
        if (frame.toByteArray() == request)
            return frame;
    return KwpFrame{{0}, 0};
}

// The positive answer to `frame` with `data` behind the service byte: the
// header, the service + 0x40, the data, a checksum (not examined).
inline QString positive(const KwpFrame &frame, const QString &data = QString())
{
    const int n = 1 + (data.isEmpty() ? 0 : data.count(',') + 1);
    QString answer = QString("%1,f0,10,%2").arg(0x80 + n, 0, 16).arg(frame.service() + 0x40, 0, 16);
    return data.isEmpty() ? answer + ",0" : answer + ',' + data + ",0";
}
// The hold routine's report of item `code`, raw value `raw`.
inline QString report(int code, int raw, int marker = 0xD0)
{
    return positive(KwpFrames::Hold,
                    QString("70,%1,%2,%3,0,0").arg(marker, 0, 16).arg(code, 0, 16).arg(raw, 0, 16));
}

// What one tick asked for and what the window would show after it.
struct Seen {
    QStringList sent; // frame names, "pulse N", "key N"
    QList<int> rows;  // rows added since the last clear
    bool cleared = false;
    QString status;
    int valueRow = -1;
    QString value;
    QString info;
    int rpm = -1;
    int timerMs = -1;
    bool faultsCleared = false;

    void take(const Effects &e)
    {
        if (e.clearTable) {
            cleared = true;
            rows.clear();
        }
        if (e.addRow >= 0)
            rows << e.addRow;
        if (e.valueRow >= 0) {
            valueRow = e.valueRow;
            value = e.value;
        }
        if (e.info)
            info = *e.info;
        if (e.status)
            status = QString::fromLatin1(StatusText::of(*e.status));
        if (e.rpm)
            rpm = *e.rpm;
        faultsCleared |= e.faultsCleared;
    }
};

using Ecu = std::function<QString(const KwpFrame &)>; // the answer behind the echo; "" silence

inline Seen tick(Cycle &cycle, const Ecu &ecu)
{
    Seen seen;
    for (int guard = 0; guard < 64; ++guard) {
        const Step step = cycle.next();
        seen.take(step.effects);
        switch (step.kind) {
        case Step::Kind::End: seen.timerMs = step.restartMs; return seen;
        case Step::Kind::WakeUp: seen.sent << QString("pulse %1").arg(step.wakeUp.pulseMs); break;
        case Step::Kind::Key:
            seen.sent << QString("key %1").arg(std::uint8_t(step.request.at(0)), 0, 16);
            break;
        case Step::Kind::Exchange: {
            seen.sent << nameOf(step.request);
            // The adapter hears the request first, then the ECU's answer.
            const QString answer = ecu(frameOf(step.request));
            seen.take(cycle.onReply(step.request + replyBytes(answer)));
            break;
        }
        }
    }
    return seen;
}

// An ECU that answers every frame positively, the hold routine with a
// report of `code` (changed by the caller as the pointer moves).
inline Ecu answering(const int &code, int raw = 0x20)
{
    return [&code, raw](const KwpFrame &frame) {
        return frame == KwpFrames::Hold ? report(code, raw) : positive(frame, "70");
    };
}

// A polling cycle over the table `items` (then rows 61 and 62), the ECU on
// item 1.
inline void startPolling(KwpCycle &cycle, const QList<int> &items)
{
    ItemWalk &walk = CycleAccess::walk(cycle);
    for (int code : items)
        walk.addItemRow(code);
    walk.addClosingRow(61);
    walk.addClosingRow(62);
    walk.pointer().startOnFirstRow();
    CycleAccess::enter(cycle, KwpCycle::State::Polling);
}

} // namespace kwpscript

#endif // KWPSCRIPT_H
