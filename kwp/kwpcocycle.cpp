// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwpcocycle.h"

#include "kwp/kwpprotocol.h"
#include "statustexts.h"

#include <QDebug>

#include <cstdint>

namespace {
constexpr int kFullReportItems = 16; // more than this carries the speed
} // namespace

KwpCoCycle::KwpCoCycle(int pulseMs)
    : login_(KwpProtocol::CoLoginSequence, int(std::size(KwpProtocol::CoLoginSequence)), "read co",
             pulseMs)
{
}

KwpStep KwpCoCycle::next()
{
    switch (phase_) {
    case Phase::Idle:
        if (state_ == State::Login) {
            login_.start();
            phase_ = Phase::Login;
            return loginNext();
        }
        if (!keys_.isEmpty()) {
            // The key byte goes out alone, its echo read away before the
            // reading, whose answer positions count from the start.
            phase_ = Phase::Key;
            KwpStep request;
            request.kind = KwpStep::Kind::Key;
            request.key = keys_.takeFirst();
            return request;
        }
        return reading();
    case Phase::Login: return loginNext();
    case Phase::Key: return reading();
    case Phase::Reading:
    case Phase::Ending: break;
    }
    phase_ = Phase::Idle;
    KwpStep end;
    end.effects.timerMs = endMs_;
    return end;
}

Effects KwpCoCycle::onReply(const KwpReply &reply)
{
    return phase_ == Phase::Login ? loginReply(reply) : readingReply(reply);
}

bool KwpCoCycle::key(std::uint8_t key)
{
    if (state_ == State::Login)
        return false;
    keys_.append(key);
    return true;
}

void KwpCoCycle::endTick(int ms)
{
    phase_ = Phase::Ending;
    endMs_ = ms;
}

void KwpCoCycle::dropSession(Effects &out)
{
    qDebug().noquote() << "ecu disconnected 0";
    login_.stop();
    state_ = State::Login;
    out.clearTable = true;
    out.status = QString::fromLatin1(StatusText::LostEcu);
    endTick(KwpProtocol::LostMs);
}

// --- login ---

KwpStep KwpCoCycle::loginNext()
{
    KwpStep request = login_.next();
    if (request.kind == KwpStep::Kind::End) {
        // Every frame answered without a CO report: the next tick logs in again.
        phase_ = Phase::Idle;
        request.effects.timerMs = KwpProtocol::PollMs;
    }
    return request;
}

Effects KwpCoCycle::loginReply(const KwpReply &reply)
{
    Effects out;
    if (!login_.answered(reply)) {
        dropSession(out);
        return out;
    }
    out.ecuNamed = KwpLogin::identity(reply);
    if (reply.coReport) {
        // The ECU is in CO mode already: the rest of the sequence is not sent.
        qDebug().noquote() << "found rpm";
        login_.stop();
        state_ = State::Reading;
        out.status = QString::fromLatin1(StatusText::EngineOn);
        endTick(KwpProtocol::PollMs);
    }
    return out;
}

// --- reading ---

KwpStep KwpCoCycle::reading()
{
    phase_ = Phase::Reading;
    KwpStep request;
    request.kind = KwpStep::Kind::Frame;
    request.frame = KwpFrames::Hold;
    request.logTag = QStringLiteral("read co rpm: ");
    return request;
}

Effects KwpCoCycle::readingReply(const KwpReply &reply)
{
    Effects out;
    qDebug().noquote() << "sumcmd " + QString::number(reply.beyondEcho);
    if (reply.beyondEcho < 1) {
        dropSession(out);
        return out;
    }
    endTick(KwpProtocol::PollMs);
    if (reply.size <= kFullReportItems) {
        out.status = QString::fromLatin1(StatusText::EngineOff);
        out.rpm = 0;
        out.display = true;
    } else if (reply.rpm >= 0) {
        out.rpm = reply.rpm;
        qDebug().noquote() << "rpm: " + QString::number(reply.rpm);
        // The engine reports again after a short answer had said "Off".
        out.status = QString::fromLatin1(StatusText::EngineOn);
        out.display = true;
    }
    return out;
}
