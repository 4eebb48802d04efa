// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/itemvalue.h"

namespace trace {

QString convertItemValue(const QString &codestr, const QString &valstr)
{
    const int code = codestr.toInt(nullptr, 10);
    const int raw = valstr.toInt(nullptr, 16);
    float x = float(raw);
    switch (code) {
    case 1: x = float(raw / 2); break;
    case 3: x = float((raw - 1) / 2); break;
    case 5:
    case 6:
    case 11: x = float(raw - 30); break;
    case 8: x = float(raw / 5) / 10.0f; break;
    case 9: x = float(raw - 45) / 10.0f; break;
    default: break;
    }
    return QString::number(double(x), 'g', 6);
}

} // namespace trace
