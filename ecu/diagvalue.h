// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DIAGVALUE_H
#define DIAGVALUE_H

// Raw item values to the text shown in the "Value" column, for both
// families. Header only and QtCore only: the trace reader converts alike.

#include <QString>

namespace DiagValue {

// Units are applied here and nowhere else; the arithmetic is single
// precision, as the displays of the ECU makers are. `code` is the item
// code, `raw` the byte the ECU reported.
inline QString convert(int code, int raw)
{
    float x = float(raw);
    switch (code) {
    case 1: x = float(raw / 2); break;          // TPS, deg
    case 3: x = float((raw - 1) / 2); break;    // IAPS, kPa
    case 5:                                     // IATS, C
    case 6:                                     // CTS, C
    case 11: x = float(raw - 30); break;        // EOT, C
    case 8: x = float(raw / 5) / 10.0f; break;  // LAS, V
    case 9: x = float(raw - 45) / 10.0f; break; // Volt
    default: break;
    }
    return QString::number(double(x), 'g', 6);
}

// The same from the texts a reply used to carry: the code in decimal, the
// raw value in hexadecimal; text that does not parse counts as 0.
inline QString convert(const QString &code, const QString &raw)
{
    return convert(code.toInt(), raw.toInt(nullptr, 16));
}

} // namespace DiagValue

#endif // DIAGVALUE_H
