// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QTSETUP_H
#define QTSETUP_H

// What every program with a window sets up before its QApplication exists:
// Qt's high-DPI scaling, so that a screen at 125 or 150 % scales the whole
// window (the table's fixed column widths with the text), and on Windows
// only the Qt plugins beside the program (qt.conf), whatever another
// program's Qt has put in the environment; and on Windows 11 the precise
// timers kept while the window is minimized or covered.
void setUpQtBeforeApplication();

#ifdef _WIN32
// The opt-out of Windows 11's power throttling of timer resolution (see
// qtsetup.cpp); false where Windows lacks or refuses it.
bool keepTimerResolutionWhenHidden();
#endif

#endif // QTSETUP_H
