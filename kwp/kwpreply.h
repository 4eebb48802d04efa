// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPREPLY_H
#define KWPREPLY_H

#include "ecu/linebytes.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One KWP reply, read once: the adapter's echo of the request, then the
// ECU's answer. The cycles count its bytes as items (nothing at all counts
// as one empty item, which reads as 0) and read the hold report from the
// end, the CO report and the fault codes from the start. Every reply is
// untrusted: each field copes with any length and any content.
struct KwpReply {
    static KwpReply parse(const QByteArray &bytes, const KwpFrame &sent);

    struct FaultCode {
        QString code; // four digits as the ECU sent them: "0113"
        int index;    // its place in the fault-code catalogue
    };

    QByteArray bytes;
    int size = 1;
    int beyondEcho = 0;    // items behind the echo: below 1, the ECU sent nothing
    bool echoOnly = false; // exactly the echo, nothing else
    int service = -1;      // the answer's service byte behind the echo; -1: none found
    bool positive = false; // the service answers the request's

    // The hold routine's report: marker, item code, raw value.
    bool hasReport = false;
    int marker = 0;
    int code = 0;
    int raw = 0;

    // CO mode: the report marker and the engine speed.
    bool coReport = false;
    int rpm = -1;

    // What the ECU says of itself behind its positive answer to the local
    // identifier 0xFE (the checksum left out); empty for other frames.
    QByteArray localId;

    // A positive answer to a fault-code request: the count as sent, and
    // the whole records that arrived.
    bool faultAnswer = false;
    int faultCount = 0;
    QList<FaultCode> faults;

    // Item `index` (0 where the reply holds none).
    int item(int index) const
    {
        return index >= 0 && index < bytes.size() ? static_cast<unsigned char>(bytes.at(index)) : 0;
    }

    bool valueReport() const { return hasReport && marker == ValueReport; }
    bool checking() const { return hasReport && marker == Checking; }

    static constexpr int ValueReport = 0xD0;
    static constexpr int Checking = 0xD1;
    static constexpr int CoReport = 0xC8;
    static constexpr int FaultsPositive = 0x58; // the answer to service 0x18
};

#endif // KWPREPLY_H
