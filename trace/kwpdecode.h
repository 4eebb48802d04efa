// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPDECODE_H
#define KWPDECODE_H

// ISO 14230 (KWP 2000) frames as the reader shows them: format byte 0x8N
// (physical) or 0xCN (functional) with N data bytes, target, source,
// service identifier, parameters, checksum (sum of the others, modulo 256).

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace trace {

struct KwpFrame {
    QByteArray raw; // the whole frame
    std::uint8_t format = 0, target = 0, source = 0, sid = 0, checksum = 0;
    QByteArray data; // parameters after the service identifier
    bool checksumOk = false;
    std::uint8_t sum = 0;
};

// Cuts `bytes` into frames by their format bytes; what is left over (a cut
// frame, or bytes that are no frame) goes to `rest`.
QList<KwpFrame> splitKwp(const QByteArray &bytes, QByteArray *rest);
// A request frame: exactly one well-formed frame.
bool isKwpFrame(const QByteArray &bytes);
QString serviceName(std::uint8_t sid);
QString describeKwp(const KwpFrame &frame);
// What the bytes left over by splitKwp are: a frame cut short, or no frame.
QString describeKwpRest(const QByteArray &rest);

} // namespace trace

#endif // KWPDECODE_H
