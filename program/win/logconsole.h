// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LOGCONSOLE_H
#define LOGCONSOLE_H

// tavrix-log.exe: the program with its diagnostic log in the console window
// Windows opens beside it, for the mechanic to copy and send. The log goes
// there and nowhere else: no file is written.
class LogConsole
{
public:
    LogConsole();  // before the application object: where the log goes is decided then
    ~LogConsole(); // after the window has closed
    LogConsole(const LogConsole &) = delete;
    LogConsole &operator=(const LogConsole &) = delete;

private:
    bool ownConsole = false; // Windows opened it for us (Start menu, Explorer)
};

#endif // LOGCONSOLE_H
