// SPDX-License-Identifier: GPL-3.0-or-later
#include "ecu/itemcatalogue.h"

#include <QStringList>

namespace {
struct Entry {
    int code;
    const char *text;
};

const Entry kEntries[] = {
    {1, "TPS,deg,Throttle position sensor"},
    {3, "IAPS,kPa,Tekanan udara masuk"},
    {5, "IATS,C,Temperatur udara masuk"},
    {6, "CTS,C,Temperatur air pendingin"},
    {7, "Wheel Speed,-, Display putaran roda"},
    {8, "LAS,V,Voltase sensor kemiringan"},
    {9, "Volt,Volt,Voltase sistem bahan bakar"},
    {11, "EOT,C,Temperatur mesin"},
    {20, "Stand,-,Sensor standard samping"},
    {21, "Switch,-,Switch netral dan switch kopling"},
    {30, "xCoil,-,Periksa koil pengapian(tekan tombol action untuk memeriksa)"},
    {31, "xCoil 2,-,Periksa koil 2 pengapian(tekan tombol action untuk memeriksa)"},
    {36, "xInjector,-,Periksa injektor(tekan tombol action untuk memeriksa)"},
    {37, "xInjector 2,-,Periksa injektor 2(tekan tombol action untuk memeriksa)"},
    {48, "xSAIS,-,Periksa solenoid air induction system(tekan tombol action untuk memeriksa)"},
    {50, "xRelay,-,Periksa relay utama(tekan tombol action untuk memeriksa)"},
    {51, "xFan,-,Periksa relay motor kipas radiator(tekan tombol action untuk memeriksa)"},
    {52, "xRelay,-,Periksa Relay Lampu Depan (tekan tombol action untuk memeriksa)"},
    {54, "xISC/FID,-,Periksa ISC atau FID(tekan tombol action untuk memeriksa)"},
    {60, "EEPROM Fault,-,Display kode kesalahan EEPROM"},
    {61, "Malfunction Display,-,History kode kesalahan"},
    {62, "xClear Malfunction Code,-,Jumlah kode kesalahan(tekan tombol action untuk menghapus)"},
    {63, "Malfunction Reinstatement,-, "},
    {67, "xClear ISC Correction Value,-,Display kode ISC"},
    {70, "Prog Version,-,Versi program"},
    {87, "xAir Fuel Control,-,Air Fuel Control(tekan tombol action untuk reset)"},
};
const char kUnknownEntry[] = "-,-,-";
} // namespace

namespace ItemCatalogue {

QList<QString> build()
{
    QList<QString> list;
    for (int i = 0; i < Size; ++i)
        list.append(QString::fromLatin1(kUnknownEntry));
    for (const Entry &e : kEntries)
        list[e.code] = QString::fromLatin1(e.text);
    return list;
}

namespace {
QStringList fields(const QList<QString> &catalogue, int code)
{
    const bool known = code >= 0 && code < catalogue.size();
    return (known ? catalogue[code] : QString::fromLatin1(kUnknownEntry)).split(QLatin1Char(','));
}
} // namespace

ItemRow row(const QList<QString> &catalogue, int code)
{
    const QStringList entry = fields(catalogue, code);
    ItemRow row;
    row.code = code;
    row.name = entry.value(0);
    row.actuator = row.name.startsWith(QLatin1Char('x'));
    if (row.actuator)
        row.name.remove(0, 1);
    row.unit = entry.value(1);
    return row;
}

QString description(const QList<QString> &catalogue, int code)
{
    return fields(catalogue, code).value(2);
}

QString xmaxHistoryEntry()
{
    return QStringLiteral(
        "xClear Malfunction History,-,Jumlah history kesalahan(tekan tombol action untuk menghapus)");
}

} // namespace ItemCatalogue
