// SPDX-License-Identifier: GPL-3.0-or-later
// tavrix-log.exe's console, on Windows (under Wine in the cross-build): a
// console that takes nothing holds neither the event loop nor the writes of
// the log, and the lines lost are counted where they went missing; the
// console's close button ends the program as the windows' own would.
// What only a real console shows (a selection blocking its writes, the
// five seconds Windows waits after the close button) is not here.
#include "program/win/logconsole.h"
#include "program/win/logpump.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include <windows.h>

namespace {
// A pipe nobody reads until told to: a console with text selected in it.
struct StalledConsole {
    HANDLE read = nullptr, write = nullptr;
    std::string received;
    std::thread reader;

    StalledConsole() { CreatePipe(&read, &write, nullptr, 4096); }
    void resume()
    {
        reader = std::thread([this] {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0)
                received.append(buffer, got);
        });
    }
    // Once every write end is closed: all it was given.
    void finish()
    {
        CloseHandle(write);
        reader.join();
        CloseHandle(read);
    }
};

class ClosingWindow : public QMainWindow
{
public:
    bool closed = false;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        closed = true;
        QMainWindow::closeEvent(event);
    }
};
} // namespace

class TestLogConsole : public QObject
{
    Q_OBJECT
public:
    // Made before the application object, as tavrix-log makes it.
    explicit TestLogConsole(LogConsole *console) : console(console) {}

private:
    LogConsole *console;

private slots:
    // The program logs from the GUI thread as Qt's handler does (standard
    // error, a line at a time) while the console takes nothing: every write
    // returns at once, the event loop keeps its pace, and what the console
    // gets afterwards is each line in order or a count in its place.
    void stalledConsoleHoldsNothing()
    {
        StalledConsole stalled;
        QVERIFY(stalled.write);
        std::uint64_t dropped = 0;
        int written = 0;
        qint64 longestWrite = 0, longestGap = 0;
        {
            LogPump pump(stalled.write, 64);
            QVERIFY(pump.running());
            QElapsedTimer clock;
            clock.start();
            qint64 lastBeat = 0;
            QTimer beat, logger;
            connect(&beat, &QTimer::timeout, [&] {
                longestGap = qMax(longestGap, clock.elapsed() - lastBeat);
                lastBeat = clock.elapsed();
            });
            const std::string filler(80, 'x');
            connect(&logger, &QTimer::timeout, [&] {
                for (int i = 0; i < 20; ++i) {
                    const qint64 before = clock.nsecsElapsed();
                    std::fprintf(stderr, "line %d %s\n", written++, filler.c_str());
                    longestWrite = qMax(longestWrite, clock.nsecsElapsed() - before);
                }
            });
            beat.start(10);
            logger.start(1);
            QTest::qWait(1500);
            logger.stop();
            beat.stop();
            dropped = pump.dropped();
            stalled.resume();
        } // the pump writes out what it holds, standard error is the test's again
        stalled.finish();
        qDebug("%d lines logged, %llu left out; longest write %.3f ms, longest gap %lld ms",
               written, static_cast<unsigned long long>(dropped), longestWrite / 1e6, longestGap);

        QVERIFY2(longestWrite < 100'000'000, qPrintable(QString::number(longestWrite)));
        QVERIFY2(longestGap < 250, qPrintable(QString::number(longestGap)));
        QVERIFY2(dropped > 0, "the stalled console took everything: no stall was made");
        // Each line in order, or a notice of exactly the lines missing there.
        const QRegularExpression lineRe(QStringLiteral("^line (\\d+) x+$"));
        const QRegularExpression noticeRe(
            QStringLiteral("^\\[\\.\\.\\. (\\d+) baris log tidak ditampilkan \\.\\.\\.\\]$"));
        int next = 0;
        std::uint64_t noticed = 0;
        const QStringList lines = QString::fromLatin1(stalled.received.c_str()).split('\n');
        for (QString line : lines) {
            line.remove('\r');
            if (line.isEmpty())
                continue;
            const auto notice = noticeRe.match(line);
            if (notice.hasMatch()) {
                next += notice.captured(1).toInt();
                noticed += notice.captured(1).toULongLong();
                continue;
            }
            const auto logged = lineRe.match(line);
            QVERIFY2(logged.hasMatch(), qPrintable(line));
            QCOMPARE(logged.captured(1).toInt(), next);
            ++next;
        }
        QCOMPARE(next, written);
        QCOMPARE(noticed, dropped);
    }

    // The console's close button while the CO window is open (modal, in a
    // nested loop): both windows close as their close buttons would, the
    // loops end, and the event's thread waits until the program is done.
    // Last here: Qt's quit ends every event loop started after it too.
    void consoleCloseEndsTheProgram()
    {
        ClosingWindow window;
        window.show();
        bool dialogEnded = false;
        std::atomic<bool> eventDone{false};
        std::thread event;
        QTimer::singleShot(0, [&] {
            QDialog coWindow;
            coWindow.setModal(true);
            QTimer::singleShot(50, [&] {
                event = std::thread([&] {
                    LogConsole::closeProgram(); // as Windows' thread for the event
                    eventDone = true;
                });
            });
            coWindow.exec();
            dialogEnded = true;
        });
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        loop.exec();
        QVERIFY2(clock.elapsed() < 10000, "the console's close left the program running");
        QVERIFY(dialogEnded);
        QVERIFY(window.closed);
        QVERIFY(!window.isVisible());
        Sleep(200);
        QVERIFY2(!eventDone, "the event returned before the program had finished");
        delete console; // main has returned: the window, the link and the app are gone
        console = nullptr;
        event.join();
        QVERIFY(eventDone);
    }
};

int main(int argc, char *argv[])
{
    // As in tavrix-log: the console first (here none: no pump, no prompt),
    // then the application object.
    auto *console = new LogConsole;
    QApplication app(argc, argv);
    TestLogConsole test(console);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logconsole.moc"
