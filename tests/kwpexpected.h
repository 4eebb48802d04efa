// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPEXPECTED_H
#define KWPEXPECTED_H

// Fault-code explanations as the mechanic must see them, written out here
// independently of the program's own table.
namespace Expected {

const char *const text106 =
    "Error pada sensor udara masuk (MAP)                    \nMasalah performa sensor MAP\n-Kontak yang longgar pada selang vakum\n-sensor MAP rusak                     \n-Pemasangan throtle body tidak sempurna";
const char *const text122 =
    "Error pada sensor posisi throttle (TPS)                   \nTegangan rendah TPS\n-TPS atau rangkaiannya tidak berfungsi";
const char *const text113 =
    "Error pada sensor temperatur udara masuk (IAT)                    \nTegangan tinggi rangkaian sensor IAT\n-Kontak yang longgar pada konektor sensor IAT\n-Sensor IAT atau rangkaiannya tidak berfungsi";
const char *const text2195 =
    "Error pada sensor O2                     \nRangkaian terbuka pada sensor O2 atau sinyal tidak normal\n-Kontak yang longgar pada konektor sensor O2\n-Sensor O2 atau rangkaiannya tidak berfungsi";
const char *const text507 = "Error pada katup ISC";
const char *const text335 =
    "Error pada sensor posisi crankshaft(CKPS)                    \nKontak yang longgar pada konektor sensor CKP\n-Sensor CKP atau rangkaiannya tidak berfungsi";
const char *const text71 =
    "Error pada sensor posisi throttle 1 (TPS 1)                    #Tegangan rendah TPS 1\n-TPS 1 atau rangkaiannya tidak berfungsi                    #Tegangan tinggi TPS 1\n-TPS 1 atau rangkaiannya tidak berfungsi\n-Kontak yang longgar pada konektor unit TBW";

// Every text together: 6890 characters, 1902 of them blanks, 32 "#" marks
// and 89 line feeds.
constexpr int totalLength = 6890;
constexpr int totalBlanks = 1902;
constexpr int totalHashes = 32;
constexpr int totalLineFeeds = 89;
} // namespace Expected

#endif // KWPEXPECTED_H
