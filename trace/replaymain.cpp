// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-replay FILE: the application over the simulated cable, with an ECU
// that answers from the recording FILE.

#include "program/qtsetup.h"
#include "sim/virtualcable.h"
#include "trace/recording.h"
#include "trace/replayecu.h"
#include "trace/traceparser.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDebug>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString path = trace::takeFileArgument(argc, argv);
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: tavrix-replay FILE\n");
        return 2;
    }
    const trace::ParseResult parsed = trace::parseFile(path);
    if (!parsed.ok) {
        std::fprintf(stderr, "tavrix-replay: %s\n",
                     qPrintable(trace::errorText(path, parsed.error)));
        return 1;
    }
    setUpQtBeforeApplication();
    QApplication app(argc, argv);
    auto ecu = std::make_shared<trace::ReplayEcu>(parsed.events);
    qDebug().noquote() << QString("replaying %1: %2 requests").arg(path).arg(ecu->requests());
    sim::VirtualCable::instance().seat(ecu);
    MainWindow window;
    window.show();
    return app.exec();
}
