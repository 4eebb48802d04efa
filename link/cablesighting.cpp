// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/cablesighting.h"

QString CableSighting::summary() const
{
    if (!looked)
        return QStringLiteral("the system could not be asked");
    if (!present)
        return QStringLiteral("no device 0433:6066 present");
    QString text = QStringLiteral("device 0433:6066 present, driver %1")
                       .arg(driver.isEmpty() ? QStringLiteral("none") : driver);
    if (system == System::Windows) {
        if (!filters.isEmpty())
            text += QStringLiteral(", filters %1").arg(filters.join('+'));
        if (!driverInstalled)
            text += QStringLiteral(", driver not installed");
        text += libusbKDll ? QStringLiteral(", libusbK.dll present")
                           : QStringLiteral(", no libusbK.dll");
    } else if (!accessible) {
        text += QStringLiteral(", device node not readable and writable");
    }
    return text;
}
