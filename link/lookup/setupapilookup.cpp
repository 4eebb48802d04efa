// SPDX-License-Identifier: GPL-3.0-or-later
// The cable as Windows sees it: SetupAPI lists the USB devices present with
// their hardware ids, the service (driver) bound to each and its filters,
// as libusb's Windows backend reads them to decide whether it can open one;
// the configuration manager says what Device Manager shows as the device's
// problem (disabled, not started, no driver).
#include "link/cablesighting.h"

#include <QFileInfo>

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

namespace {
const wchar_t kHardwareId[] = L"VID_0433&PID_6066";

QByteArray property(HDEVINFO set, SP_DEVINFO_DATA &info, DWORD which)
{
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(set, &info, which, nullptr, nullptr, 0, &size);
    if (size == 0)
        return QByteArray();
    QByteArray buffer(int(size) + 4, 0); // room for the terminators a value may lack
    if (!SetupDiGetDeviceRegistryPropertyW(set, &info, which, nullptr,
                                           reinterpret_cast<BYTE *>(buffer.data()), size, nullptr))
        return QByteArray();
    return buffer;
}

// A REG_SZ or REG_MULTI_SZ value as its strings.
QStringList strings(const QByteArray &value)
{
    QStringList list;
    const auto *text = reinterpret_cast<const wchar_t *>(value.constData());
    const int count = value.size() / int(sizeof(wchar_t));
    for (int i = 0; i < count && text[i] != L'\0';) {
        const QString one = QString::fromWCharArray(text + i);
        list.append(one);
        i += one.size() + 1;
    }
    return list;
}

bool isTheCable(const QStringList &hardwareIds)
{
    for (const QString &id : hardwareIds) {
        if (id.contains(QString::fromWCharArray(kHardwareId), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// libusb loads libusbK.dll from the system folder only, and reaches the
// libusbK and libusb0 drivers through it.
bool systemHasLibusbK()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return QFileInfo::exists(QString::fromWCharArray(folder, int(length)) + "\\libusbK.dll");
}

// The problem code Device Manager shows for the device, 0 when none.
int problemOf(DEVINST device)
{
    ULONG status = 0, problem = 0;
    if (CM_Get_DevNode_Status(&status, &problem, device, 0) != CR_SUCCESS)
        return 0;
    return (status & DN_HAS_PROBLEM) ? int(problem) : 0;
}
} // namespace

CableSighting lookUpCable()
{
    CableSighting sighting;
    sighting.system = CableSighting::System::Windows;
    sighting.libusbKDll = systemHasLibusbK();
    HDEVINFO set = SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return sighting;
    sighting.looked = true;
    // Every device with the ids: with two cables plugged in, the reason
    // must be about the one libftdi1 met.
    QList<CableSighting> devices;
    SP_DEVINFO_DATA info;
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        if (!isTheCable(strings(property(set, info, SPDRP_HARDWAREID))))
            continue;
        CableSighting device = sighting;
        device.present = true;
        device.driver = strings(property(set, info, SPDRP_SERVICE)).value(0);
        device.filters = strings(property(set, info, SPDRP_UPPERFILTERS))
                         + strings(property(set, info, SPDRP_LOWERFILTERS));
        // libusb gives up on a device whose driver installation reports a
        // problem (a device with no driver is one).
        const QByteArray state = property(set, info, SPDRP_INSTALL_STATE);
        const bool stateOk = state.size() < int(sizeof(DWORD))
                             || *reinterpret_cast<const DWORD *>(state.data()) == 0;
        device.driverInstalled = stateOk && !device.driver.isEmpty();
        device.problem = problemOf(info.DevInst);
        devices.append(device);
    }
    SetupDiDestroyDeviceInfoList(set);
    return devices.isEmpty() ? sighting : CableSighting::chosen(devices);
}
