// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedecu.h"

#include <cstdint>

ScriptedEcu::ScriptedEcu(Framing framing, sim::Nanos replyDelayNs)
    : framing_(framing), delay_(replyDelayNs)
{
}

void ScriptedEcu::on(const QByteArray &request, const QList<QByteArray> &replies)
{
    replies_[request] = replies;
}

bool ScriptedEcu::complete() const
{
    if (framing_ == Framing::SingleByte)
        return true;
    const int n = static_cast<std::uint8_t>(frame_.at(0)) & 0x3F;
    return frame_.size() >= n + 4;
}

void ScriptedEcu::onByte(sim::VirtualCable &cable, std::uint8_t byte, sim::Nanos heardAt,
                         const sim::LineState &)
{
    frame_.append(char(byte));
    if (!complete())
        return;
    const QList<QByteArray> list = replies_.value(frame_);
    const int turn = used_[frame_]++;
    const QByteArray reply = list.value(qMin(turn, list.size() - 1));
    frame_.clear();
    if (!reply.isEmpty())
        cable.ecuSend(std::vector<std::uint8_t>(reply.begin(), reply.end()), heardAt + delay_);
}

QByteArray kwpFrame(const QByteArray &withoutChecksum)
{
    std::uint8_t sum = 0;
    for (char c : withoutChecksum)
        sum = std::uint8_t(sum + static_cast<std::uint8_t>(c));
    return withoutChecksum + char(sum);
}
