// SPDX-License-Identifier: GPL-3.0-or-later
#include "kwp/kwpcocycle.h"

#include "kwp/kwpframes.h"
#include "kwp/kwpreply.h"

namespace KwpCoCycle {

namespace {
constexpr int kFullReportItems = 16; // more than this carries the speed
} // namespace

bool reportsInCoMode(const QStringList &items)
{
    return KwpReply::isCoReport(items);
}

Reading read(const QStringList &items)
{
    Reading reading;
    reading.lost = KwpReply::sumcmd(items, QString::fromLatin1(KwpFrames::Hold)) < 1;
    if (reading.lost)
        return reading;
    reading.engineOff = items.size() <= kFullReportItems;
    if (!reading.engineOff)
        reading.rpm = KwpReply::coRpm(items);
    return reading;
}

} // namespace KwpCoCycle
