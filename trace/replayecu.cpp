// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/replayecu.h"

#include <QDebug>

#include <cstdint>

namespace trace {

namespace {
// Bytes of one request follow each other on the wire; a longer pause starts a new one.
constexpr int kBurstGapBytes = 3;

// How many bytes the request being heard will have: a KWP frame says so in
// its format byte; a single key byte is one.
int seenLength(const QByteArray &heard, const QByteArray &want)
{
    const auto format = static_cast<std::uint8_t>(heard.at(0));
    if (want.size() > 1 && (format & 0x80) != 0 && (format & 0x3F) != 0)
        return (format & 0x3F) + 4;
    return want.size();
}
} // namespace

ReplayEcu::ReplayEcu(const QList<Event> &events)
{
    for (const Exchange &x : exchanges(events))
        if (!x.request.isEmpty()) // ECU bytes before the first request have nothing to answer
            script_.append(x);
}

void ReplayEcu::startBurst()
{
    if (mismatch_ && !reported_)
        reportDivergence();
    heard_.clear();
    mismatch_ = reported_ = false;
}

void ReplayEcu::onByte(sim::VirtualCable &cable, std::uint8_t byte, sim::Nanos heardAt,
                       const sim::LineState &)
{
    byteNs_ = cable.byteTimeNs();
    if (!heard_.isEmpty() && heardAt - lastHeard_ > kBurstGapBytes * byteNs_)
        startBurst();
    lastHeard_ = heardAt;
    heard_.append(char(byte));
    if (next_ >= script_.size()) {
        mismatch_ = reported_ = true; // nothing more to say about this burst
        reportEnd();
        return;
    }
    const QByteArray &want = script_.at(next_).request;
    if (!mismatch_ && want.startsWith(heard_)) {
        if (heard_.size() == want.size())
            answer(cable, heardAt);
        return;
    }
    mismatch_ = true;
    if (!reported_ && heard_.size() >= seenLength(heard_, want))
        reportDivergence();
}

void ReplayEcu::answer(sim::VirtualCable &cable, sim::Nanos heardAt)
{
    const Exchange &x = script_.at(next_);
    for (const ReplyChunk &chunk : x.reply) {
        const qint64 delayUs = qMax<qint64>(0, chunk.notBeforeUs - x.lastWriteUs);
        std::vector<std::uint8_t> bytes(chunk.bytes.begin(), chunk.bytes.end());
        cable.ecuSend(bytes, heardAt + delayUs * 1000);
    }
    ++next_;
    heard_.clear();
    lastReport_.clear();
}

void ReplayEcu::reportDivergence()
{
    reported_ = true;
    const Exchange &x = script_.at(next_);
    const QString text = QString("replay diverged at trace line %1: expected %2, seen %3")
                             .arg(x.line)
                             .arg(hexBytes(x.request), hexBytes(heard_));
    ++divergences_;
    if (divergenceListener_)
        divergenceListener_(
            x.line,
            QString("expected request %1, seen %2").arg(hexBytes(x.request), hexBytes(heard_)));
    if (text == lastReport_)
        return; // the tester repeating itself: said once is enough
    lastReport_ = text;
    qDebug().noquote() << text;
}

void ReplayEcu::reportEnd()
{
    if (endReported_)
        return;
    endReported_ = true;
    const int lastLine = script_.isEmpty() ? 0 : script_.last().line;
    qDebug().noquote() << QString(
                              "replay reached the end of the recording (last request at trace "
                              "line %1); seen %2, no answer")
                              .arg(lastLine)
                              .arg(hexBytes(heard_));
}

} // namespace trace
