// SPDX-License-Identifier: GPL-3.0-or-later
#include "loginidentity.h"

#include "auto/autoprotocol.h"
#include "kwp/kwpframes.h"
#include "kwp/kwpreply.h"

#include <QStringList>

namespace LoginIdentity {

namespace {
const char kLogPrefix[] = "login=";
constexpr int kIdentAnswer = 0x61; // 0x21 + 0x40
constexpr int kIdentParameter = 0xFE;
} // namespace

QString autoModel(std::uint8_t key, const QString &reply)
{
    if (key != AutoProtocol::Identify)
        return QString();
    const QStringList fields = AutoProtocol::replyFields(reply);
    if (!AutoProtocol::answersKey(fields, key))
        return QString();
    const AutoProtocol::ModelCode *model =
        AutoProtocol::matchModel(AutoProtocol::LoginModels, fields.last());
    if (!model)
        return QString();
    return QString::fromLatin1(model->log).mid(int(sizeof(kLogPrefix)) - 1);
}

QString kwpIdentification(const QString &frame, const QString &reply)
{
    if (frame != QLatin1String(KwpFrames::ReadLocalIdFE))
        return QString();
    const QStringList items = KwpReply::items(reply);
    if (!KwpReply::positiveAnswer(items, frame))
        return QString();
    // The identification runs from behind "61 fe" to the checksum, the
    // last byte; the echo of the request stands before it.
    int from = -1;
    for (int i = KwpReply::byteCount(frame); i + 1 < items.size(); ++i) {
        if (KwpReply::hexAt(items, i) == kIdentAnswer
            && KwpReply::hexAt(items, i + 1) == kIdentParameter) {
            from = i + 2;
            break;
        }
    }
    if (from < 0)
        return QString();
    QStringList hex;
    QString text;
    bool printable = true;
    for (int i = from; i < items.size() - 1; ++i) {
        const int byte = KwpReply::hexAt(items, i);
        hex << QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        printable = printable && byte >= 0x20 && byte < 0x7F;
        text += QChar(byte);
    }
    if (hex.isEmpty())
        return QString();
    return printable ? text + QStringLiteral(" (") + hex.join(QLatin1Char(' ')) + QLatin1Char(')')
                     : hex.join(QLatin1Char(' '));
}

} // namespace LoginIdentity
