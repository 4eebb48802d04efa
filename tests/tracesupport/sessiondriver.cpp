// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessiondriver.h"

#include "link/usbserial.h"
#include "sim/virtualcable.h"

#include <cstdint>

Step key(std::uint8_t byte, int waitMs)
{
    return {Step::Key, QByteArray(1, char(byte)), 0, waitMs};
}
Step frame(const QByteArray &bytes, int waitMs)
{
    return {Step::Frame, bytes, 0, waitMs};
}
Step dtr(int level, int waitMs)
{
    return {Step::Dtr, {}, level, waitMs};
}
Step baud(int rate)
{
    return {Step::Baud, {}, rate, 0};
}
Step failNextWrite()
{
    return {Step::FailNextWrite, {}, 0, 0};
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

QString exchange(UsbSerial &link, const Step &s, const std::function<void(int)> &wait)
{
    if (s.type == Step::Key) {
        unsigned char byte = static_cast<unsigned char>(s.bytes.at(0));
        link.writeDataHex(&byte);
    } else {
        link.writeDataStr(commandString(s.bytes));
    }
    wait(s.waitMs);
    return link.readDataHex();
}

} // namespace

QStringList runSteps(UsbSerial &link, const QList<Step> &steps,
                     const std::function<void(int ms)> &wait)
{
    QStringList replies;
    for (const Step &s : steps) {
        switch (s.type) {
        case Step::Key:
        case Step::Frame: replies << exchange(link, s, wait); break;
        case Step::Dtr:
            link.writeDataBit(s.value);
            wait(s.waitMs);
            break;
        case Step::Baud: link.setBaud(s.value); break;
        case Step::Wait: wait(s.waitMs); break;
        case Step::FailNextWrite: sim::VirtualCable::instance().failWrites(1); break;
        }
    }
    return replies;
}
