// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RECORDING_H
#define RECORDING_H

// The one recording of a process: the libftdi1 wrappers (ftdiwrap.cpp) hand
// every call to it while it is on. Everything runs on the GUI thread.

#include "trace/tracewriter.h"

#include <QDateTime>

#include <functional>

namespace trace {

// Opens `path`; on failure the message has been shown and the session runs
// unrecorded. `startedUtc` empty: now.
bool startRecording(const QString &path, const QString &program,
                    const QString &startedUtc = QString());
TraceWriter *recording(); // null while nothing is recorded
void flushRecording();    // what is due; for a timer
void stopRecording();     // end mark, flush, close
// Applies to the next startRecording (tests and generators run fake time).
void setRecordingClock(TraceWriter::Clock clock);
// Applies to the next startRecording: who hears of a failure to open or
// write the file (default: the console and the log).
void setRecordingReporter(TraceWriter::Reporter reporter);

// "tavrix-YYYYMMDD-HHMMSS.ktrace"
QString defaultTraceName(const QDateTime &local);
// Takes a file name in argv[1] (not an option) out of argv; empty when none.
QString takeFileArgument(int &argc, char **argv);
// The file name the program was given (arguments()[1], not an option);
// empty when none. Windows hands it over in full only this way.
QString fileArgument(const QStringList &arguments);
// Where the recorder writes when it is given no name: a new file in the
// user's Documents\Tavrix on Windows (a program started from the Start menu
// works in its own folder under Program Files), in the working folder on
// Linux.
QString defaultRecordingPath(const QDateTime &local);

QString programVersion();

// Hears every library call before it goes to the file: the window's eyes
// look then (windowwatch.h), and the replay's hands count the calls.
// Calls are heard while a listener is set even when nothing is recorded.
using CallListener = std::function<void(const Event &)>;
void setCallListener(CallListener listener);
bool callsHeard(); // recording or listened to
// A call of the library (ftdiwrap.cpp): to the listener, then to the file.
void noteCall(Event event);

} // namespace trace

#endif // RECORDING_H
