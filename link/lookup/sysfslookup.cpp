// SPDX-License-Identifier: GPL-3.0-or-later
// The cable as Linux sees it: sysfs lists every USB device with its ids, bus
// and device numbers, and the driver bound to each interface; the device
// node says whether we may open it.
#include "link/cablesighting.h"

#include <QFile>

#include <dirent.h>
#include <unistd.h>

namespace {
const char kDevices[] = "/sys/bus/usb/devices";

QString attribute(const QString &device, const char *name)
{
    QFile file(QStringLiteral("%1/%2/%3").arg(kDevices, device, name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.read(64)).trimmed();
}

QStringList entries()
{
    QStringList names;
    DIR *dir = ::opendir(kDevices);
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.append(QString::fromLatin1(entry->d_name));
    }
    ::closedir(dir);
    return names;
}

// The driver of the device's first interface ("1-1:1.0" for device "1-1").
QString interfaceDriver(const QString &device, const QStringList &names)
{
    for (const QString &name : names) {
        if (!name.startsWith(device + ':') || attribute(name, "bInterfaceNumber") != "00")
            continue;
        char target[256];
        const QByteArray link = QStringLiteral("%1/%2/driver").arg(kDevices, name).toLocal8Bit();
        const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
        if (length <= 0)
            return QString();
        target[length] = '\0';
        const QString path = QString::fromLocal8Bit(target);
        return path.mid(path.lastIndexOf('/') + 1);
    }
    return QString();
}
} // namespace

CableSighting lookUpCable()
{
    CableSighting sighting;
    sighting.system = CableSighting::System::Linux;
    const QStringList names = entries();
    sighting.looked = !names.isEmpty();
    for (const QString &name : names) {
        if (name.contains(':') || attribute(name, "idVendor") != "0433"
            || attribute(name, "idProduct") != "6066")
            continue;
        sighting.present = true;
        const QByteArray node = QStringLiteral("/dev/bus/usb/%1/%2")
                                    .arg(attribute(name, "busnum").toInt(), 3, 10, QChar('0'))
                                    .arg(attribute(name, "devnum").toInt(), 3, 10, QChar('0'))
                                    .toLocal8Bit();
        sighting.accessible = ::access(node.constData(), R_OK | W_OK) == 0;
        sighting.driver = interfaceDriver(name, names);
        break;
    }
    return sighting;
}
