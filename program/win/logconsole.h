// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LOGCONSOLE_H
#define LOGCONSOLE_H

class LogPump;

// tavrix-log.exe: the program with its diagnostic log in the console window
// Windows opens beside it, for the mechanic to copy and send. The log goes
// there and nowhere else: no file is written.
//
// The console never holds the program: the log reaches it through a
// LogPump, so a selection in the console (which stops every write to it)
// costs log lines, counted, never a tick. Closing the console window ends
// the program as closing its main window does; Ctrl+C and Ctrl+Break, the
// copy keys, do nothing.
class LogConsole
{
public:
    LogConsole();  // before the application object: where the log goes is decided then
    ~LogConsole(); // after the window, the link and the application have ended
    LogConsole(const LogConsole &) = delete;
    LogConsole &operator=(const LogConsole &) = delete;

    // What the console's close button (or a log-off) does: asks the GUI
    // thread to close the windows as their close buttons would, then waits
    // until this object's destructor has run (Windows ends the process
    // about five seconds after the event, whatever we do). Runs on the
    // thread Windows starts for the event; a test may call it.
    static void closeProgram();

private:
    bool ownConsole = false; // Windows opened it for us (Start menu, Explorer)
    LogPump *pump = nullptr;
};

#endif // LOGCONSOLE_H
