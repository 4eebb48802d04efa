// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwplogin.h"

#include "kwp/kwpprotocol.h"
#include "statustexts.h"

#include <QDebug>

KwpStep KwpLogin::next()
{
    KwpStep request;
    if (entry_ == WakeUp) {
        request.kind = KwpStep::Kind::WakeUp;
        request.pulseMs = pulseMs_;
        request.effects.status = QString::fromLatin1(StatusText::WakingUp);
        entry_ = 0;
    } else if (entry_ >= 0 && entry_ < count_) {
        request.kind = KwpStep::Kind::Frame;
        request.frame = frames_[entry_];
        request.logTag = logTag_ + QString::number(entry_) + QStringLiteral(": ");
    } else {
        entry_ = Idle; // request.kind is End
    }
    return request;
}

bool KwpLogin::answered(const KwpReply &reply)
{
    qDebug().noquote() << "sumcmd " + QString::number(reply.beyondEcho);
    if (reply.beyondEcho < 1) {
        if (entry_ == 0) {
            --pulseMs_;
            if (pulseMs_ < KwpProtocol::ShortestPulseMs)
                pulseMs_ = KwpProtocol::LongestPulseMs;
            qDebug().noquote() << "login ms= " + QString::number(pulseMs_);
        }
        stop();
        return false;
    }
    // A login frame the ECU did not take leaves it somewhere the rest of the
    // sequence was not made for; the CO sequence's action frames would then
    // check whatever item it stands on.
    if (!reply.positive) {
        qDebug().noquote() << "login refused";
        stop();
        return false;
    }
    ++entry_;
    return true;
}
