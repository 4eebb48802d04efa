// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/qtsetup.h"

#include <QGuiApplication>

#ifdef Q_OS_WIN
#include <windows.h>

namespace {
// Windows 11 stops honouring a process's timer resolution while its windows
// are minimized or fully covered, unless the process opts out: the 30 and
// 110 ms polling and the 10 to 50 ms waits of the protocols would fall to
// the 15.6 ms system tick just while the mechanic works in another window.
// Declared here (older MinGW headers lack them) and looked up at run time:
// SetProcessInformation is new in Windows 8, and Windows 10 ignores the
// flag. A failure changes nothing else: the program runs as before.
struct PowerThrottlingState {
    ULONG version;
    ULONG controlMask;
    ULONG stateMask;
};
constexpr ULONG kPowerThrottlingVersion = 1;  // PROCESS_POWER_THROTTLING_CURRENT_VERSION
constexpr ULONG kIgnoreTimerResolution = 0x4; // PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION
constexpr int kProcessPowerThrottling = 4;    // PROCESS_INFORMATION_CLASS ProcessPowerThrottling
using SetProcessInformationCall = BOOL(WINAPI *)(HANDLE, int, LPVOID, DWORD);
} // namespace

bool keepTimerResolutionWhenHidden()
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto set = kernel ? reinterpret_cast<SetProcessInformationCall>(reinterpret_cast<void *>(
                                  GetProcAddress(kernel, "SetProcessInformation")))
                            : nullptr;
    if (!set)
        return false;
    // In the control mask, out of the state mask: never ignore it.
    PowerThrottlingState state{kPowerThrottlingVersion, kIgnoreTimerResolution, 0};
    return set(GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state);
}
#endif

void setUpQtBeforeApplication()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    // Windows' own factor as it is: rounded, 125 % would become 100 % and
    // the fonts, which follow the screen's DPI anyway, would outgrow the
    // columns again; 150 % would become 200 %.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#endif
#ifdef Q_OS_WIN
    // Another program's installer may point these at its own Qt build; its
    // plugins would load into ours. qt.conf beside the program names ours.
    qunsetenv("QT_PLUGIN_PATH");
    qunsetenv("QT_QPA_PLATFORM_PLUGIN_PATH");
    keepTimerResolutionWhenHidden();
#endif
}
