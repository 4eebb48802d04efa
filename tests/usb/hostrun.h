// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOSTRUN_H
#define HOSTRUN_H

// Runs the unmodified tavrix under tavrix-usbhost and collects its log and
// the adapter's trace (see tools/usbhost/hosttrace.h).

#include <QString>
#include <QStringList>

struct HostRun {
    bool finished = false;
    int exitCode = -1;
    QStringList log;   // every output line, host and program
    QStringList trace; // what the adapter saw

    int count(const QString &line) const { return log.count(line); }
    int indexOf(const QString &line, int from = 0) const { return log.indexOf(line, from); }
    bool anyStartsWith(const QString &prefix) const;
    QStringList traceOf(const QString &kind) const; // trace lines of one kind
    double programCpuMs() const;                    // -1 when not reported
    // The log for a failure message: each stretch of exchange lines (the
    // bytes of every poll) folded into a count, since QTest cuts a long
    // message short and would hide the lines that tell what happened.
    QString outline() const;
};

// The programs run from a folder of their own (see hostrun.cpp).
HostRun runTavrixUnderHost(const QStringList &hostOptions, int ceilingMs = 60000);
// The same for a shell command line: $TAVRIX in it names the tavrix binary,
// and $PROGRAMS the folder that holds it and each of `programs` by name.
HostRun runShellUnderHost(const QStringList &hostOptions, const QString &command,
                          const QStringList &programs = {}, int ceilingMs = 60000);

#endif // HOSTRUN_H
