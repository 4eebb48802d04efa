// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-record [FILE]: the application over the adapter, every libftdi1
// call, every action of the mechanic and what the window showed recorded
// to FILE (default: a new tavrix-YYYYMMDD-HHMMSS.ktrace in the
// working folder on Linux, in Documents\Tavrix on Windows).

#include "program/instanceguard.h"
#include "program/qtsetup.h"
#include "trace/quitonsignal.h"
#include "trace/recording.h"
#include "trace/recordnotice.h"
#include "trace/windowwatch.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
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
    setUpQtBeforeApplication();
    QApplication app(argc, argv);
    InstanceGuard guard(InstanceGuard::inThisFolder(QStringLiteral(TAVRIX_CABLE_CLAIM)));
    if (!guard.claimed())
        return guard.exitCode();
    quitOnTerminationSignals();
    QString path = trace::fileArgument(app.arguments());
    if (path.isEmpty()) {
        path = trace::defaultRecordingPath(QDateTime::currentDateTime());
        QDir().mkpath(QFileInfo(path).absolutePath());
    }
    RecordNotice notice;
    trace::setRecordingReporter([&notice](const QString &message) { notice.failed(message); });
    const bool recording = trace::startRecording(path, QStringLiteral("tavrix-record"));
    if (recording)
        qDebug().noquote() << "recording to " + path;
    QTimer flushTimer;
    QObject::connect(&flushTimer, &QTimer::timeout, [] { trace::flushRecording(); });
    flushTimer.start(kFlushPeriodMs);
    int rc = 0;
    {
        MainWindow window;
        guard.raiseOnSecondStart(&window);
        trace::WindowWatch eyes(&window, true, [](trace::Event e) {
            if (trace::TraceWriter *w = trace::recording())
                w->record(std::move(e));
        });
        trace::setCallListener([&eyes](const trace::Event &) { eyes.look(); });
        window.show();
        notice.show(&window, QFileInfo(path).absoluteFilePath(), recording);
        rc = app.exec();
        eyes.closing();
        trace::setCallListener(nullptr);
    } // the link closes the adapter in the window's destructor: still recorded
    trace::stopRecording();
    return rc;
}
