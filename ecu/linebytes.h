// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEBYTES_H
#define LINEBYTES_H

// Every request the tool ever puts on the K-line, byte for byte: the Auto
// family's key bytes and the KWP family's twelve fixed ISO 14230 frames.
// Header only and QtCore only, so that the application, the trace library
// and the tests read the very same bytes.

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace AutoKey {
constexpr std::uint8_t Identify = 0xFE; // which model are you
constexpr std::uint8_t Hold = 0xCA;     // stay on the item and report it
constexpr std::uint8_t Up = 0xCB;       // the next item
constexpr std::uint8_t Down = 0xCC;     // the item before
constexpr std::uint8_t Action = 0xCE;   // login key, actuator check, clear
} // namespace AutoKey

// One KWP request frame: format, target, source, service, parameters, and
// the checksum (the sum of the bytes before it, modulo 256).
struct KwpFrame {
    std::uint8_t bytes[8];
    int size;

    constexpr std::uint8_t service() const { return bytes[3]; }
    constexpr bool operator==(const KwpFrame &other) const
    {
        if (size != other.size)
            return false;
        for (int i = 0; i < size; ++i) {
            if (bytes[i] != other.bytes[i])
                return false;
        }
        return true;
    }
    constexpr bool operator!=(const KwpFrame &other) const { return !(*this == other); }
    constexpr bool checksumHolds() const
    {
        int sum = 0;
        for (int i = 0; i + 1 < size; ++i)
            sum += bytes[i];
        return size > 1 && bytes[size - 1] == (sum & 0xFF);
    }

    QByteArray toByteArray() const
    {
        return QByteArray(reinterpret_cast<const char *>(bytes), size);
    }
    // The command-string form the link writes: "0x83,0x10,0xF0,...".
    QString text() const
    {
        QString out;
        for (int i = 0; i < size; ++i) {
            if (i > 0)
                out += QLatin1Char(',');
            out += QStringLiteral("0x")
                   + QString::number(bytes[i], 16).toUpper().rightJustified(2, QLatin1Char('0'));
        }
        return out;
    }
};

namespace KwpFrames {
constexpr KwpFrame StartComm{{0xC1, 0x33, 0xF0, 0x81, 0x65}, 5};
constexpr KwpFrame StartSession{{0x82, 0x10, 0xF0, 0x10, 0x83, 0x15}, 6};
constexpr KwpFrame ReadLocalIdFE{{0x82, 0x10, 0xF0, 0x21, 0xFE, 0xA1}, 6};
constexpr KwpFrame RoutineCE20{{0x84, 0x10, 0xF0, 0x31, 0x70, 0xCE, 0x20, 0x13}, 8};
constexpr KwpFrame Hold{{0x83, 0x10, 0xF0, 0x31, 0x70, 0xCA, 0xEE}, 7};
constexpr KwpFrame Up{{0x83, 0x10, 0xF0, 0x31, 0x70, 0xCB, 0xEF}, 7};
constexpr KwpFrame Down{{0x83, 0x10, 0xF0, 0x31, 0x70, 0xCC, 0xF0}, 7};
constexpr KwpFrame Action{{0x84, 0x10, 0xF0, 0x31, 0x70, 0xCE, 0x08, 0xFB}, 8};
constexpr KwpFrame TesterPresent{{0xC1, 0x33, 0xF0, 0x3E, 0x22}, 5};
constexpr KwpFrame ClearDtc{{0x84, 0x10, 0xF0, 0x14, 0xFF, 0xFF, 0xFF, 0x95}, 8};
constexpr KwpFrame ReadDtcHistory{{0x84, 0x10, 0xF0, 0x18, 0x20, 0xFF, 0xFF, 0xBA}, 8};
constexpr KwpFrame ReadDtcCurrent{{0x84, 0x10, 0xF0, 0x18, 0xA1, 0xFF, 0xFF, 0x3B}, 8};

constexpr KwpFrame All[] = {StartComm,     StartSession, ReadLocalIdFE,  RoutineCE20,
                            Hold,          Up,           Down,           Action,
                            TesterPresent, ClearDtc,     ReadDtcHistory, ReadDtcCurrent};

constexpr bool allChecksumsHold()
{
    for (const KwpFrame &frame : All) {
        if (!frame.checksumHolds())
            return false;
    }
    return true;
}
static_assert(allChecksumsHold(), "a KWP frame's last byte is the sum of the others");

// Service identifiers the tool asks for, and the ECU's answers to them.
constexpr std::uint8_t PositiveOffset = 0x40; // positive answer = request service + 0x40
constexpr std::uint8_t NegativeAnswer = 0x7F;
} // namespace KwpFrames

#endif // LINEBYTES_H
