// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-replay [--hands [--offscreen] [--log]] FILE: the application over
// the simulated cable, with an ECU that answers from the recording FILE.
// With --hands the mechanic's recorded actions are done too, on virtual
// time, and the replay ends with its verdict: exit 0 when the program did
// and showed what the recording holds, 1 with the first divergence.

#include "program/qtsetup.h"
#include "sim/virtualcable.h"
#include "sim/virtualtime/virtualtime.h"
#include "trace/replayecu.h"
#include "trace/replayhands.h"
#include "trace/traceparser.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDebug>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tavrix-replay [--hands [--offscreen] [--log]] FILE\n");
    return 2;
}

struct Options {
    bool hands = false;
    bool offscreen = false;
    bool log = false;
    QString path;
};

// Takes the options out of argv, leaving what Qt may read.
bool parseOptions(int &argc, char **argv, Options &o)
{
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strcmp(a, "--hands") == 0)
            o.hands = true;
        else if (std::strcmp(a, "--offscreen") == 0)
            o.offscreen = true;
        else if (std::strcmp(a, "--log") == 0)
            o.log = true;
        else if (a[0] != '-' && o.path.isEmpty())
            o.path = QString::fromLocal8Bit(a);
        else if (a[0] == '-' && a[1] == '-')
            return false;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return !o.path.isEmpty() && (o.hands || (!o.offscreen && !o.log));
}

// A hands-free replay says its verdict, not the program's log (--log).
void dropLog(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    Options options;
    if (!parseOptions(argc, argv, options))
        return usage();
    const trace::ParseResult parsed = trace::parseFile(options.path);
    if (!parsed.ok) {
        std::fprintf(stderr, "tavrix-replay: %s\n",
                     qPrintable(trace::errorText(options.path, parsed.error)));
        return 1;
    }
    std::vector<char *> args(argv, argv + argc);
    char platform[] = "-platform", offscreen[] = "offscreen";
    if (options.offscreen) {
        args.push_back(platform);
        args.push_back(offscreen);
    }
    args.push_back(nullptr);
    int qtArgc = int(args.size()) - 1;
    if (options.hands) {
        VirtualTime::install();
        VirtualTime::runInApplicationLoop();
    }
    if (options.hands && !options.log)
        qInstallMessageHandler(dropLog);
    setUpQtBeforeApplication();
    QApplication app(qtArgc, args.data());
    auto ecu = std::make_shared<trace::ReplayEcu>(parsed.events);
    qDebug().noquote()
        << QString("replaying %1: %2 requests").arg(options.path).arg(ecu->requests());
    sim::VirtualCable::instance().seat(ecu);
    if (!options.hands) {
        MainWindow window;
        window.show();
        return app.exec();
    }
    const QString name = QFileInfo(options.path).fileName();
    trace::ReplayHands hands(parsed.events, ecu);
    MainWindow window;
    QObject::connect(&hands, &trace::ReplayHands::finished, &app, [&](bool clean) {
        if (clean)
            std::printf("%s: replays clean: %s\n", qPrintable(name),
                        qPrintable(hands.judge().summary()));
        else
            std::printf("%s: replay diverged at %s\n", qPrintable(name),
                        qPrintable(hands.judge().firstDivergence()));
        std::fflush(stdout);
        QCoreApplication::exit(clean ? 0 : 1);
    });
    window.show();
    hands.start(&window);
    return app.exec();
}
