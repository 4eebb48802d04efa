// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostrun.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <unistd.h>

bool HostRun::anyStartsWith(const QString &prefix) const
{
    for (const QString &line : log) {
        if (line.startsWith(prefix))
            return true;
    }
    return false;
}

QStringList HostRun::traceOf(const QString &kind) const
{
    return trace.filter(QRegularExpression("^" + QRegularExpression::escape(kind) + " "));
}

double HostRun::programCpuMs() const
{
    const QRegularExpression cpu("^usbhost: program cpu (\\d+) ms");
    for (const QString &line : log) {
        const QRegularExpressionMatch m = cpu.match(line);
        if (m.hasMatch())
            return m.captured(1).toDouble();
    }
    return -1;
}

QString HostRun::outline() const
{
    static const QRegularExpression exchange("^(diag:|login=|table |code )");
    QStringList out;
    int folded = 0;
    const auto fold = [&] {
        if (folded > 0)
            out << QString("[%1 exchange lines]").arg(folded);
        folded = 0;
    };
    for (const QString &line : log) {
        if (line.contains(exchange)) {
            ++folded;
            continue;
        }
        fold();
        out << line;
    }
    fold();
    return out.join('\n');
}

namespace {
// A program on the real cable claims it by the folder it runs from, so each
// run takes its programs into a folder of its own (hard links beside the
// build's, a copy where links are refused): no other tavrix on this machine
// shares the claim, be it the developer's own window, a suite of another
// build, or a second checkout at the same path in another root.
bool placePrograms(const QTemporaryDir &folder, const QStringList &programs)
{
    for (const QString &program : programs) {
        const QString target = folder.filePath(QFileInfo(program).fileName());
        if (::link(QFile::encodeName(program).constData(), QFile::encodeName(target).constData())
                != 0
            && !QFile::copy(program, target))
            return false;
    }
    return true;
}

HostRun runUnderHost(const QStringList &hostOptions, const QStringList &program,
                     const QStringList &programs, int ceilingMs)
{
    HostRun run;
    QTemporaryDir dir;
    QTemporaryDir folder(QFileInfo(TAVRIX_BIN).absolutePath() + "/hostrun-XXXXXX");
    if (!placePrograms(folder, QStringList(programs) << TAVRIX_BIN)) {
        run.log << "hostrun: cannot place the programs in " + folder.path();
        return run;
    }
    const QString tracePath = dir.filePath("trace.txt");
    QProcess host;
    host.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TAVRIX", folder.filePath(QFileInfo(TAVRIX_BIN).fileName()));
    env.insert("PROGRAMS", folder.path());
    host.setProcessEnvironment(env);
    host.start(USBHOST_BIN, QStringList(hostOptions) << "--trace" << tracePath << "--" << program);
    run.finished = host.waitForFinished(ceilingMs);
    if (!run.finished)
        host.kill(), host.waitForFinished(5000);
    run.exitCode = host.exitCode();
    const QString out = QString::fromLocal8Bit(host.readAll());
    for (const QString &line : out.split('\n'))
        run.log << line.trimmed();
    QFile trace(tracePath);
    if (trace.open(QIODevice::ReadOnly))
        run.trace = QString::fromLatin1(trace.readAll()).split('\n', Qt::SkipEmptyParts);
    return run;
}
} // namespace

HostRun runTavrixUnderHost(const QStringList &hostOptions, int ceilingMs)
{
    return runUnderHost(hostOptions, {"/bin/sh", "-c", "exec \"$TAVRIX\""}, {}, ceilingMs);
}

HostRun runShellUnderHost(const QStringList &hostOptions, const QString &command,
                          const QStringList &programs, int ceilingMs)
{
    return runUnderHost(hostOptions, {"/bin/sh", "-c", command}, programs, ceilingMs);
}
