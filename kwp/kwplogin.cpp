// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwplogin.h"

#include "kwp/kwpprotocol.h"
#include "kwp/kwpsteps.h"

#include <QDebug>
#include <QStringList>

Step KwpLogin::next()
{
    if (entry_ == WakeUp) {
        entry_ = 0;
        return KwpSteps::wakeUp(pulseMs_);
    }
    if (entry_ >= 0 && entry_ < count_) {
        sent_ = frames_[entry_];
        return KwpSteps::frame(sent_, KwpSteps::Read::Answer,
                               logTag_ + QString::number(entry_) + QStringLiteral(": "));
    }
    entry_ = Idle;
    return Step();
}

QString KwpLogin::identity(const KwpReply &reply)
{
    QStringList hex;
    QString text;
    bool printable = true;
    for (char c : reply.localId) {
        const int byte = static_cast<unsigned char>(c);
        hex << QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        printable = printable && byte >= 0x20 && byte < 0x7F;
        text += QChar(byte);
    }
    if (hex.isEmpty())
        return QString();
    return printable ? text + QStringLiteral(" (") + hex.join(QLatin1Char(' ')) + QLatin1Char(')')
                     : hex.join(QLatin1Char(' '));
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
