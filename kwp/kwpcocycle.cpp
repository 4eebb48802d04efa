// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwpcocycle.h"

#include "kwp/kwpprotocol.h"
#include "kwp/kwpsteps.h"

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

Step KwpCoCycle::next()
{
    switch (phase_) {
    case Phase::Idle:
        if (state_ == State::Login) {
            login_.start();
            phase_ = Phase::Login;
            return loginNext();
        }
        if (keyWaiting()) {
            // The key byte goes out alone, its echo read away before the
            // reading, whose answer positions count from the start.
            phase_ = Phase::Key;
            return KwpSteps::key(takeKey());
        }
        return reading();
    case Phase::Login: return loginNext();
    case Phase::Key: return reading();
    case Phase::Reading:
    case Phase::Ending: break;
    }
    phase_ = Phase::Idle;
    return KwpSteps::end(endMs_);
}

Effects KwpCoCycle::onReply(const QByteArray &answer)
{
    if (phase_ == Phase::Login)
        return loginReply(KwpReply::parse(answer, login_.sent()));
    return readingReply(KwpReply::parse(answer, KwpFrames::Hold));
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
    out.status = Status::LostEcu;
    endTick(KwpProtocol::LostMs);
}

// --- login ---

Step KwpCoCycle::loginNext()
{
    Step step = login_.next();
    if (step.kind == Step::Kind::End) {
        // Every frame answered without a CO report: the next tick logs in again.
        phase_ = Phase::Idle;
        step.restartMs = KwpProtocol::PollMs;
    }
    return step;
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
        out.status = Status::EngineOn;
        endTick(KwpProtocol::PollMs);
    }
    return out;
}

// --- reading ---

Step KwpCoCycle::reading()
{
    phase_ = Phase::Reading;
    return KwpSteps::frame(KwpFrames::Hold, KwpSteps::Read::Answer,
                           QStringLiteral("read co rpm: "));
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
        out.status = Status::EngineOff;
        out.rpm = 0;
        out.display = true;
    } else if (reply.rpm >= 0) {
        out.rpm = reply.rpm;
        qDebug().noquote() << "rpm: " + QString::number(reply.rpm);
        // The engine reports again after a short answer had said "Off".
        out.status = Status::EngineOn;
        out.display = true;
    }
    return out;
}
