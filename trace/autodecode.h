// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTODECODE_H
#define AUTODECODE_H

// The single-byte protocol of the older ECUs as the reader shows it: key
// bytes from the tester, reply fields from the ECU (the echo of the key
// first, then the ECU's bytes, as the application reads them).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace trace {

// "identify", "hold", ... or empty for a byte that is no key.
QString autoKeyName(std::uint8_t key);
// Reply fields as the application's reply text has them: "fe", "0", "c0".
QStringList replyFields(const QByteArray &bytes);
// What the reply to `key` says; `catalogue` gives the item names (may be empty).
QString describeAutoReply(std::uint8_t key, const QStringList &fields,
                          const QList<QString> &catalogue);
// The item's name ("x" of the actuators dropped) and unit, from the catalogue.
QString itemName(const QList<QString> &catalogue, int code);
QString itemUnit(const QList<QString> &catalogue, int code);

} // namespace trace

#endif // AUTODECODE_H
