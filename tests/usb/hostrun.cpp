// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostrun.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

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
HostRun runUnderHost(const QStringList &hostOptions, const QStringList &program, int ceilingMs)
{
    HostRun run;
    QTemporaryDir dir;
    const QString tracePath = dir.filePath("trace.txt");
    QProcess host;
    host.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TAVRIX", TAVRIX_BIN);
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
    return runUnderHost(hostOptions, {TAVRIX_BIN}, ceilingMs);
}

HostRun runShellUnderHost(const QStringList &hostOptions, const QString &command, int ceilingMs)
{
    return runUnderHost(hostOptions, {"/bin/sh", "-c", command}, ceilingMs);
}
