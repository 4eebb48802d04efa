// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RECORDING_H
#define RECORDING_H

// The one recording of a process: the libftdi1 wrappers (ftdiwrap.cpp) hand
// every call to it while it is on. Everything runs on the GUI thread.

#include "trace/tracewriter.h"

#include <QDateTime>

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

// "tavrix-YYYYMMDD-HHMMSS.ktrace"
QString defaultTraceName(const QDateTime &local);
// Takes a file name in argv[1] (not an option) out of argv; empty when none.
QString takeFileArgument(int &argc, char **argv);

QString programVersion();

} // namespace trace

#endif // RECORDING_H
