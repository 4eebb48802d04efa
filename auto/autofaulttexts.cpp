// SPDX-License-Identifier: GPL-3.0-or-later
#include "auto/autofaulttexts.h"

#include "auto/autoprotocol.h"

namespace {
struct FaultText {
    int code;
    const char *text;
};

const FaultText kAutoFaults[] = {
    {12, "Error pada sensor posisi crankshaft(CKPS)"},
    {13, "Error pada sensor tekanan udara masuk (IAPS)"},
    {14, "Error pada sensor udara masuk (IAPS)"},
    {15, "Error pada sensor posisi throttle (TPS)"},
    {16, "Error pada sensor posisi throttle (TPS)"},
    {21, "Error pada sensor air pendingin (CTS)"},
    {22, "Error pada sensor temperatur udara masuk (IATS)"},
    {24, "Error pada sensor O2"},
    {30, "Error pada sensor kemiringan (LAS)"},
    {33, "Error pada koil pengapian"},
    {37, "Error pada ISC (RPM langsam terlalu tinggi)"},
    {39, "Error pada injektor"},
    {41, "Error pada sensor kemiringan (LAS)"},
    {44, "Error pada EEPROM ECU"},
    {46, "Error pada aliran listrik sistem fuel injection"},
    {50, "Error pada memori ECU"},
    {61, "Error pada ISC"},
    {79, "Error pada TPS atau ISC(volume udara masuk terlalu banyak)"},
};
} // namespace

QList<QString> AutoFaultTexts::build()
{
    QList<QString> list;
    for (int i = 0; i < AutoProtocol::FaultSlots; ++i)
        list.append(QString());
    for (const FaultText &f : kAutoFaults)
        list[f.code] = QString::fromLatin1(f.text);
    return list;
}
