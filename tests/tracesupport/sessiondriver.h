// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SESSIONDRIVER_H
#define SESSIONDRIVER_H

// Drives the link the way the protocol cycles do (write, wait, read), from a
// list of steps, so that sessions can be recorded and replayed before the
// cycles themselves exist.

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <cstdint>
#include <functional>

class UsbSerial;

struct LinkStep {
    enum Type { Key, Frame, Dtr, Baud, Wait, FailNextWrite };
    Type type;
    QByteArray bytes; // Key: one byte; Frame: the frame
    int value = 0;    // Dtr level, Baud rate
    int waitMs = 0;   // before the read (Key, Frame) or after (Dtr, Baud, Wait)
};

LinkStep key(std::uint8_t byte, int waitMs);
LinkStep frame(const QByteArray &bytes, int waitMs = 110);
LinkStep dtr(int level, int waitMs = 0);
LinkStep baud(int rate);
LinkStep failNextWrite();

// "0xC1,0x33,0xF0,0x81,0x65" from the bytes.
QString commandString(const QByteArray &bytes);

// Runs the steps; returns the reply text read after each Key and Frame.
QStringList runSteps(UsbSerial &link, const QList<LinkStep> &steps,
                     const std::function<void(int ms)> &wait);

#endif // SESSIONDRIVER_H
