// SPDX-License-Identifier: GPL-3.0-or-later
// Raw item values to the text shown in the "Value" column.
#include "mainwindow.h"

namespace {
// Units are applied here and nowhere else; the arithmetic is single
// precision, as the displays of the ECU makers are.
struct Conversion {
    int code;
    float (*convert)(int raw);
};

const Conversion kConversions[] = {
    {1, [](int raw) { return float(raw / 2); }},          // TPS, deg
    {3, [](int raw) { return float((raw - 1) / 2); }},    // IAPS, kPa
    {5, [](int raw) { return float(raw - 30); }},         // IATS, C
    {6, [](int raw) { return float(raw - 30); }},         // CTS, C
    {8, [](int raw) { return float(raw / 5) / 10.0f; }},  // LAS, V
    {9, [](int raw) { return float(raw - 45) / 10.0f; }}, // Volt
    {11, [](int raw) { return float(raw - 30); }},        // EOT, C
};
} // namespace

QString MainWindow::convertdiagval(QString codestr, QString valstr)
{
    const int code = codestr.toInt();
    const int raw = valstr.toInt(nullptr, 16);
    float value = float(raw);
    for (const Conversion &c : kConversions) {
        if (c.code == code)
            value = c.convert(raw);
    }
    return QString::number(double(value), 'g', 6);
}
