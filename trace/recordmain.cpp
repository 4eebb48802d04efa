// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-record [FILE]: the application over the adapter, every libftdi1
// call recorded to FILE (default tavrix-YYYYMMDD-HHMMSS.ktrace here).

#include "instanceguard.h"
#include "mainwindow.h"
#include "qtsetup.h"
#include "trace/quitonsignal.h"
#include "trace/recording.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QTimer>

namespace {
constexpr int kFlushPeriodMs = 500; // with the writer's own check: at most a second lost
}

// The recorder over the real cable claims it as tavrix does; the one over
// the simulated cable claims nothing.
#ifndef TAVRIX_CABLE_CLAIM
#define TAVRIX_CABLE_CLAIM ""
#endif

int main(int argc, char *argv[])
{
    QString path = trace::takeFileArgument(argc, argv);
    if (path.isEmpty())
        path = QDir::current().filePath(trace::defaultTraceName(QDateTime::currentDateTime()));
    setUpQtBeforeApplication();
    QApplication app(argc, argv);
    InstanceGuard guard(QStringLiteral(TAVRIX_CABLE_CLAIM));
    if (!guard.claimed()) {
        qDebug().noquote() << "Tavrix is already running: its window comes to the front";
        return 0;
    }
    quitOnTerminationSignals();
    if (trace::startRecording(path, QStringLiteral("tavrix-record")))
        qDebug().noquote() << "recording to " + path;
    QTimer flushTimer;
    QObject::connect(&flushTimer, &QTimer::timeout, [] { trace::flushRecording(); });
    flushTimer.start(kFlushPeriodMs);
    int rc = 0;
    {
        MainWindow window;
        guard.raiseOnSecondStart(&window);
        window.show();
        rc = app.exec();
    } // the link closes the adapter in the window's destructor: still recorded
    trace::stopRecording();
    return rc;
}
