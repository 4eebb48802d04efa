// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPREPLY_H
#define KWPREPLY_H

#include <QList>
#include <QString>
#include <QStringList>

// Reading KWP replies. A reply text is the adapter's echo of the request
// followed by the ECU's answer ("83,10,f0,...,"); every reply is untrusted,
// so each reader here copes with any length and any content.
namespace KwpReply {

constexpr int ValueReport = 0xD0; // answer to the hold routine: item value
constexpr int Checking = 0xD1;    // answer to the hold routine: check running
constexpr int CoReport = 0xC8;    // answer to the hold routine in CO mode
constexpr int DtcPositive = 0x58; // positive answer to service 0x18

// Drops one trailing "," and splits at "," keeping empty parts, so an
// empty text gives one empty item.
QStringList items(const QString &reply);
int byteCount(const QString &cmd);
// Items beyond the echo: below 1 means the ECU sent nothing.
int sumcmd(const QStringList &items, const QString &cmd);
bool echoOnly(const QStringList &items, const QString &cmd);
// The ECU's answer behind the echo of `cmd` is its positive response: the
// service byte is the request's plus 0x40.
bool positiveAnswer(const QStringList &items, const QString &cmd);
// The item at `index` read with base 16; 0 when missing or no number.
int hexAt(const QStringList &items, int index);

// What a hold (or move) answer reports, counted from the end of the list.
struct ItemReport {
    bool present = false; // the list is long enough to carry a report
    int marker = 0;
    int code = 0;
    QString raw;
};
ItemReport itemReport(const QStringList &items);

// A CO report: long enough, and the CO marker in its place.
bool isCoReport(const QStringList &items);
// Engine speed of a CO report, or -1 when the list carries none.
int coRpm(const QStringList &items);

// A fault-code answer: long enough and carrying the positive response.
bool isDtcAnswer(const QStringList &items);
// The count as the row shows it: halved for the current codes (row 62).
int dtcCount(const QStringList &items, int rowCode);
// "P0113" style code of two code bytes as received ("1", "13").
QString dtcCode(const QString &high, const QString &low);
// Catalogue index of a four-digit code: its decimal reading, 0 when the
// digits a to f make that fail.
int dtcIndex(const QString &fourDigits);
// The "Info:" text of a fault-code row, listing only whole records.
QString dtcListing(const QStringList &items, int rowCode, int count, const QList<QString> &texts);

} // namespace KwpReply

#endif // KWPREPLY_H
