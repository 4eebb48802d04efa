// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SCRIPTEDECU_H
#define SCRIPTEDECU_H

// A small ECU for the recorder's tests and example traces: it answers each
// known request with the next reply of its list (the last one repeats), a
// fixed time after the request has arrived. An empty reply is silence.

#include "sim/virtualcable.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <cstdint>

class ScriptedEcu : public sim::EcuModel
{
public:
    enum class Framing { SingleByte, Kwp };

    explicit ScriptedEcu(Framing framing, sim::Nanos replyDelayNs = 2000000);

    void on(const QByteArray &request, const QList<QByteArray> &replies);
    void onByte(sim::VirtualCable &cable, std::uint8_t byte, sim::Nanos heardAt,
                const sim::LineState &line) override;

private:
    bool complete() const;

    Framing framing_;
    sim::Nanos delay_;
    QByteArray frame_;
    QHash<QByteArray, QList<QByteArray>> replies_;
    QHash<QByteArray, int> used_;
};

// A KWP frame from its header and data, with the checksum appended.
QByteArray kwpFrame(const QByteArray &withoutChecksum);

#endif // SCRIPTEDECU_H
