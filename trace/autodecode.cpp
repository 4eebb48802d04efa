// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/autodecode.h"

#include "auto/autoprotocol.h"

#include <cstdint>

namespace trace {

namespace {

struct Key {
    std::uint8_t byte;
    const char *name;
};

const Key kKeys[] = {
    {AutoKey::Identify, "identify"}, {AutoKey::Hold, "hold"},     {AutoKey::Up, "up"},
    {AutoKey::Down, "down"},         {AutoKey::Action, "action"},
};

QString modelText(const QString &field)
{
    bool ok = false;
    const int code = field.toInt(&ok, 16);
    const AutoProtocol::ModelCode *model =
        ok ? AutoProtocol::matchModel(AutoProtocol::LoginModels, code) : nullptr;
    if (model)
        return QString("model %1 (%2)").arg(field, QLatin1String(model->name));
    return QString("model code %1 unknown").arg(field);
}

QString sessionText(const QStringList &f, const QList<QString> &catalogue)
{
    const QString status = f.value(3);
    const bool checking = status == "80" || status == "c0";
    QString text;
    if (status == "40" || status == "c0") {
        const int code = f.value(4).toInt(nullptr, 16);
        text = QString("item %1 %2").arg(code).arg(itemName(catalogue, code)).trimmed();
    } else if (status == "0" || status == "80") {
        text = "value " + f.value(4);
    } else {
        text = "status " + status;
    }
    return checking ? text + ", checking" : text;
}

QString catalogueField(const QList<QString> &catalogue, int code, int field)
{
    return catalogue.value(code).split(QLatin1Char(',')).value(field);
}

} // namespace

QString autoKeyName(std::uint8_t key)
{
    for (const Key &k : kKeys)
        if (k.byte == key)
            return k.name;
    return QString();
}

QStringList replyFields(const QByteArray &bytes)
{
    QStringList fields;
    for (char c : bytes)
        fields << QString::number(static_cast<std::uint8_t>(c), 16);
    return fields;
}

QString describeAutoReply(std::uint8_t key, const QStringList &f, const QList<QString> &catalogue)
{
    const QString text = "Auto reply " + f.join(QLatin1Char(',')) + ',';
    const int n = f.size();
    if (key == AutoKey::Identify && n >= 3)
        return text + ": " + modelText(f.last());
    if (key == AutoKey::Action && n >= 3 && (f.last() == "10" || f.last() == "90"))
        return text + ": login acknowledged";
    if (n == 6)
        return text + ": " + sessionText(f, catalogue);
    if (n >= 3 && (f.at(n - 3) == "40" || f.at(n - 3) == "c0"))
        return text + QString(": item %1 announced").arg(f.at(n - 2).toInt(nullptr, 16));
    return text + QString(": %1 field%2").arg(n).arg(n == 1 ? "" : "s");
}

QString itemName(const QList<QString> &catalogue, int code)
{
    QString name = catalogueField(catalogue, code, 0);
    if (name.startsWith(QLatin1Char('x')))
        name.remove(0, 1);
    return name;
}

QString itemUnit(const QList<QString> &catalogue, int code)
{
    return catalogueField(catalogue, code, 1);
}

} // namespace trace
