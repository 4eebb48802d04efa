// SPDX-License-Identifier: GPL-3.0-or-later
// The explanations of the KWP fault codes, indexed by the code's four
// digits read as a decimal number. Stored exactly as shown to the mechanic:
// the space runs, "#" marks and line feeds are part of the texts.
#include "kwp/kwpfaulttexts.h"

namespace KwpFaultTexts {

const Entry kEntries[] = {
    {106,
     "Error pada sensor udara masuk (MAP)                    \n"
     "Masalah performa sensor MAP\n"
     "-Kontak yang longgar pada selang vakum\n"
     "-sensor MAP rusak                     \n"
     "-Pemasangan throtle body tidak sempurna"},
    {107,
     "Error pada sensor udara masuk (MAP)                    \n"
     "Tegangan rendah rangkaian sensor MAP\n"
     "-Sensor MAP atau rangkaianya tidak berfungsi"},
    {108,
     "Error pada sensor udara masuk (MAP)                    \n"
     "Tegangan tinggi rangkaian sensor MAP\n"
     "-Kontak yang longgar pada konektor sensor MAP\n"
     "-Sensor MAP atau rangkaianya tidak berfungsi"},
    {117,
     "Error pada sensor pendingin mesin (ECT)                   \n"
     "Tegangan rendah rangkaian sensor ECT\n"
     "-Sensor ECT atau rangkaianya tidak berfungsi"},
    {118,
     "Error pada sensor pendingin mesin (ECT)                   \n"
     "Tegangan tinggi rangkaian sensor ECT\n"
     "-Kontak yang longgar pada konektor sensor ECT\n"
     "-Sensor ECT atau rangkaiannya tidak berfungsi"},
    {122,
     "Error pada sensor posisi throttle (TPS)                   \n"
     "Tegangan rendah TPS\n"
     "-TPS atau rangkaiannya tidak berfungsi"},
    {123,
     "Error pada sensor posisi throttle (TPS)                   \n"
     "Tegangan tinggi TPS\n"
     "-TPS atau rangkaiannya tidak berfungsi\n"
     "-Kontak yang longgar pada konektor TPS"},
    {112,
     "Error pada sensor temperatur udara masuk (IAT)                   \n"
     "Tegangan rendah rangkaian sensor IAT\n"
     "-Sensor IAT atau rangkaiannya tidak berfungsi"},
    {113,
     "Error pada sensor temperatur udara masuk (IAT)                    \n"
     "Tegangan tinggi rangkaian sensor IAT\n"
     "-Kontak yang longgar pada konektor sensor IAT\n"
     "-Sensor IAT atau rangkaiannya tidak berfungsi"},
    {11,
     "Error pada sensor kecepatan (VS)                    #Kontak yang longgar pada konektor sensor VS\n"
     "-Sensor VS atau rangkaiannya tidak berfungsi                    #-"},
    {201,
     "Error pada injektor                    \n"
     "Kontak yang longgar pada konektor injektor\n"
     "-Injektor atau rangkaiannya tidak berfungsi"},
    {13,
     "Error pada injektor 2 (kanan)                    #Kontak yang longgar pada konektor injektor\n"
     "-Injektor atau rangkaiannya tidak berfungsi                    #-"},
    {132,
     "Error pada sensor O2                    \n"
     "Tegangan pada sensor O2 tinggi\n"
     "-Kontak yang longgar pada konektor sensor O2\n"
     "-Sensor O2 atau rangkaiannya tidak berfungsi"},
    {2195,
     "Error pada sensor O2                     \n"
     "Rangkaian terbuka pada sensor O2 atau sinyal tidak normal\n"
     "-Kontak yang longgar pada konektor sensor O2\n"
     "-Sensor O2 atau rangkaiannya tidak berfungsi"},
    {23,
     "Error pada pemanas sensor O2                    #Pemanas sensor O2 tidak berfungsi\n"
     "-Kontak yang longgar pada konektor sensor O2\n"
     "-Pemanas sensor O2 atau rangkaiannya tidak berfungsi                    #-"},
    {351,
     "Error pada koil pengapian                    \n"
     "Kontak yang longgar pada kabel koil pengapian 1\n"
     "-Koil pengapian 1 atau rangkaiannya tidak berfungsi"},
    {480,
     "Error pada relay kipas radiator                    \n"
     "Rangkaian terputus antara relay kipas dan ecu\n"
     "-Kontak yang longgar pada konektor\n"
     "-Atau driver pada ecu tidak berfungsi"},
    {500,
     "Error sensor roda depan                    \n"
     "Rangkaian terbuka antara sensor dan kabel body\n"
     "-Kontak yang longgar pada konektor sensor\n"
     "-Sensor roda depan tidak berfungsi atau rusak"},
    {507, "Error pada katup ISC"},
    {511,
     "Error pada katup ISC                    \n"
     "Unit ISC tidak berfungsi\n"
     "-kontak yang longgar pada konektor\n"
     "-motor stepper ISC rusak"},
    {560,
     "Voltase pengisian tidak normal                    \n"
     "-Accu overcharging\n"
     "-Atau accu kurang setrum\n"
     "-Kontak regulator(kiprok) longgar atau rusak"},
    {335,
     "Error pada sensor posisi crankshaft(CKPS)                    \n"
     "Kontak yang longgar pada konektor sensor CKP\n"
     "-Sensor CKP atau rangkaiannya tidak berfungsi"},
    {601,
     "Error pada memori ecu                    \n"
     "Memori ecu rusak"},
    {622,
     "Error pada memori eeprom                    \n"
     "Memori eeprom rusak"},
    {657,
     "Error voltase sistem bahan bakar                    \n"
     "Voltase yang mengalir pada injektor dan pompa tidak benar                    \n"
     "-Rangkaian terputus atau kontak yang longgar pada konektor"},
    {1601,
     "Error pada saklar standar samping                    \n"
     "Rangkaian terputus atau sinyal yang diterima ecu tidak normal\n"
     "-Kontak yang longgar pada konektor                    \n"
     "-Saklar standar samping rusak"},
    {1604,
     "Error pada sensor kemiringan (LAS)                    \n"
     "Tegangan rendah pada sensor kemiringan\n"
     "-Kontak yang longgar pada konektor sensor kemiringan\n"
     "-Sensor kemiringan atau rangkaianya tidak berfungsi"},
    {1605,
     "Error pada sensor kemiringan (LAS)                    \n"
     "Tegangan tinggi pada sensor kemiringan\n"
     "-Kontak yang longgar pada konektor sensor kemiringan\n"
     "-Sensor kemiringan tidak berfungsi"},
    {2158,
     "Error sensor roda belakang                    \n"
     "Rangkaian terbuka antara sensor dan kabel body\n"
     "-Kontak yang longgar pada konektor sensor\n"
     "-Sensor roda belakang tidak berfungsi atau rusak"},
    {71,
     "Error pada sensor posisi throttle 1 (TPS 1)                    #Tegangan rendah TPS 1\n"
     "-TPS 1 atau rangkaiannya tidak berfungsi                    #Tegangan tinggi TPS 1\n"
     "-TPS 1 atau rangkaiannya tidak berfungsi\n"
     "-Kontak yang longgar pada konektor unit TBW"},
    {72,
     "Error pada sensor posisi throttle 2 (TPS 2)                    #Tegangan rendah TPS 2\n"
     "-TPS 2 atau rangkaiannya tidak berfungsi                    #Tegangan tinggi TPS 2\n"
     "-TPS 2 atau rangkaiannya tidak berfungsi\n"
     "-Kontak yang longgar pada konektor unit TBW"},
    {73,
     "Error pada korelasi TPS 1 dan TPS 2                    #Kesalahan fungsi korelasi tegangan TPS 1 dan TPS 2\n"
     "-Sensor TP atau rangkaiannya tidak berfungsi                    #Hubungan arus pendek TPS 1 dan TPS 2\n"
     "-Sensor TP atau rangkaiannya tidak berfungsi"},
    {74,
     "Error pada sensor Handle Gas 1 (APS 1)                    #Tegangan rendah APS 1\n"
     "-APS 1 atau rangkaiannya tidak berfungsi\n"
     "-Kontak yang longgar pada konektor APS                    #Tegangan tinggi APS 1\n"
     "-APS 1 atau rangkaiannya tidak berfungsi"},
    {75,
     "Error pada sensor Handle Gas 2 (APS 2)                    #Tegangan rendah APS 2\n"
     "-APS 2 atau rangkaiannya tidak berfungsi\n"
     "-Kontak yang longgar pada konektor APS                    #Tegangan tinggi APS 2\n"
     "-APS 2 atau rangkaiannya tidak berfungsi"},
    {76,
     "Error pada korelasi APS 1 dan APS 2                    #Kesalahan fungsi korelasi tegangan APS 1 dan APS 2\n"
     "-APS atau rangkaiannya tidak berfungsi                    #-"},
    {77,
     "Error pada TBW                    #Kesalahan fungsi pegas pengembali TBW                    #-"},
    {78,
     "Error pada TBW                    #Kesalahan fungsi motor TBW\n"
     "-Kesalahan rangkaian motor TBW                    #-"},
    {79,
     "Error pada TBW                    #Kesalahan fungsi korelasi kontrol sistem TBW\n"
     "-Kesalahansistem TBW atau rangkaiannya                    #-"},
    {84, "Error pada ECM                    #Kesalahan fungsi prosesor ECM                    #-"},
    {85,
     "Error pada relay TBW                    #Kerusakan relay TBW sisi ON\n"
     "-Kesalahan fungsi relay TBW atau rangkaiannya                    #Kerusakan relay TBW sisi OFF\n"
     "-Kesalahan fungsi relay TBW atau rangkaiannya"},
    {91,
     "Error pada koil pengapian no 1 (sisi kiri)                    #Kontak yang longgar pada kabel koil pengapian 1\n"
     "-Koil pengapian 1 atau rangkaiannya tidak berfungsi                    #-"},
    {92,
     "Error pada koil pengapian no 2 (sisi kanan)                    #Kontak yang longgar pada kabel koil pengapian 2\n"
     "-Koil pengapian 2 atau rangkaiannya tidak berfungsi                    #-"},
};

const Entry *begin()
{
    return kEntries;
}
const Entry *end()
{
    return kEntries + sizeof(kEntries) / sizeof(kEntries[0]);
}

QList<QString> build()
{
    QList<QString> list;
    list.reserve(CatalogueSize);
    for (int i = 0; i < CatalogueSize; ++i)
        list.append(QString());
    for (const Entry *e = begin(); e != end(); ++e)
        list[e->index] = QString::fromLatin1(e->text);
    return list;
}

} // namespace KwpFaultTexts
