// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessiondriver.h"

#include "link/usbserial.h"
#include "sim/virtualcable.h"

#include <cstdint>

LinkStep key(std::uint8_t byte, int waitMs)
{
    return {LinkStep::Key, QByteArray(1, char(byte)), 0, waitMs};
}
LinkStep frame(const QByteArray &bytes, int waitMs)
{
    return {LinkStep::Frame, bytes, 0, waitMs};
}
LinkStep dtr(int level, int waitMs)
{
    return {LinkStep::Dtr, {}, level, waitMs};
}
LinkStep baud(int rate)
{
    return {LinkStep::Baud, {}, rate, 0};
}
LinkStep failNextWrite()
{
    return {LinkStep::FailNextWrite, {}, 0, 0};
}

QString commandString(const QByteArray &bytes)
{
    QStringList pieces;
    for (char c : bytes)
        pieces << "0x"
                      + QString("%1")
                            .arg(static_cast<std::uint8_t>(c), 2, 16, QLatin1Char('0'))
                            .toUpper();
    return pieces.join(QLatin1Char(','));
}

namespace {

QString exchange(UsbSerial &link, const LinkStep &s, const std::function<void(int)> &wait)
{
    if (s.type == LinkStep::Key) {
        unsigned char byte = static_cast<unsigned char>(s.bytes.at(0));
        link.writeDataHex(&byte);
    } else {
        link.writeDataStr(commandString(s.bytes));
    }
    wait(s.waitMs);
    return link.readDataHex();
}

} // namespace

QStringList runSteps(UsbSerial &link, const QList<LinkStep> &steps,
                     const std::function<void(int ms)> &wait)
{
    QStringList replies;
    for (const LinkStep &s : steps) {
        switch (s.type) {
        case LinkStep::Key:
        case LinkStep::Frame: replies << exchange(link, s, wait); break;
        case LinkStep::Dtr:
            link.writeDataBit(s.value);
            wait(s.waitMs);
            break;
        case LinkStep::Baud: link.setBaud(s.value); break;
        case LinkStep::Wait: wait(s.waitMs); break;
        case LinkStep::FailNextWrite: sim::VirtualCable::instance().failWrites(1); break;
        }
    }
    return replies;
}
