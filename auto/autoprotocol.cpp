// SPDX-License-Identifier: GPL-3.0-or-later
#include "autoprotocol.h"

#include <QDebug>

namespace AutoProtocol {

namespace {
// The unlock is kept as a half and a mask rather than as plain bytes; the
// second half is the first one masked and mirrored.
const std::uint8_t kUnlockHalf[5] = {0xA1, 0x37, 0x5E, 0x12, 0xC9};
constexpr std::uint8_t kUnlockMask = 0x5A;
} // namespace

std::array<std::uint8_t, 10> unlockSequence()
{
    std::array<std::uint8_t, 10> bytes{};
    for (int i = 0; i < 5; ++i) {
        bytes[std::size_t(i)] = kUnlockHalf[i];
        bytes[std::size_t(9 - i)] = std::uint8_t(kUnlockHalf[i] ^ kUnlockMask);
    }
    return bytes;
}

void applyModelCode(const ModelCode *model, int &step, QString &expectedReply)
{
    if (!model || step != 0)
        return;
    qDebug().noquote() << model->log;
    step = model->nextStep;
    if (model->expected)
        expectedReply = QLatin1String(model->expected);
}

QStringList replyFields(const QString &reply)
{
    QStringList fields = reply.split(QLatin1Char(','));
    fields.removeLast(); // the empty piece behind the final comma
    return fields;
}

} // namespace AutoProtocol
