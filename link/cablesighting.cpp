// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/cablesighting.h"

QString CableSighting::summary() const
{
    if (!looked)
        return QStringLiteral("the system could not be asked");
    if (!present)
        return QStringLiteral("no device 0433:6066 present");
    QString text =
        count > 1
            ? QStringLiteral("%1 devices 0433:6066 present, the first that counts: ").arg(count)
            : QStringLiteral("device 0433:6066 present, ");
    text += QStringLiteral("driver %1").arg(driver.isEmpty() ? QStringLiteral("none") : driver);
    if (system == System::Windows) {
        if (!filters.isEmpty())
            text += QStringLiteral(", filters %1").arg(filters.join('+'));
        if (!driverInstalled)
            text += QStringLiteral(", driver not installed");
        if (problem != 0)
            text += QStringLiteral(", problem code %1").arg(problem);
        text += libusbKDll ? QStringLiteral(", libusbK.dll present")
                           : QStringLiteral(", no libusbK.dll");
    } else if (!accessible) {
        text += QStringLiteral(", device node not readable and writable");
    }
    return text;
}

CableSighting CableSighting::chosen(const QList<CableSighting> &devices)
{
    if (devices.isEmpty())
        return CableSighting();
    CableSighting one = devices.first();
    for (const CableSighting &device : devices) {
        if (device.problem == 0 && device.driverInstalled) {
            one = device;
            break;
        }
    }
    one.count = devices.size();
    return one;
}
