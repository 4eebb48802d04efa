// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the parent stamps the steady clock and forks; the child execs
// this program as a plain tavrix-demo (QApplication, MainWindow, show) and
// reports when the window is first painted, on the same clock. Windows has
// no fork: there QProcess starts the child.
#include "bench/families.h"

#include "program/qtsetup.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef Q_OS_WIN
#include <QProcess>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace bench {

namespace {
long long steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The first paint of any widget of the window: the window is on screen.
class FirstPaint : public QObject
{
public:
    FirstPaint(QWidget &window, long long since) : window_(window), since_(since) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!done_ && event->type() == QEvent::Paint && widget && widget->window() == &window_) {
            done_ = true;
            std::printf("%.3f\n", double(steadyNs() - since_) / 1e6);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    QWidget &window_;
    long long since_;
    bool done_ = false;
};

#ifdef Q_OS_WIN
double oneStartup(const char *self)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const std::string stamp = std::to_string(steadyNs());
    child.start(QString::fromLocal8Bit(self), {"--startup-child", QString::fromStdString(stamp)});
    if (!child.waitForFinished(20000))
        child.kill();
    const QByteArray out = child.readAllStandardOutput();
    return out.trimmed().isEmpty() ? -1 : out.trimmed().toDouble();
}
#else
double oneStartup(const char *self)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const std::string stamp = std::to_string(steadyNs());
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(self, self, "--startup-child", stamp.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[64];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, std::size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return out.empty() ? -1 : std::atof(out.c_str());
}
#endif
} // namespace

std::vector<double> runStartups(int count, const char *self)
{
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const double t = oneStartup(self);
        if (t >= 0)
            ms.push_back(t);
    }
    return ms;
}

int startupChild(int argc, char **argv, long long forkedAtNs)
{
    setUpQtBeforeApplication();
    QApplication app(argc, argv);
    MainWindow window;
    FirstPaint filter(window, forkedAtNs);
    app.installEventFilter(&filter);
    QTimer::singleShot(10000, &app, &QCoreApplication::quit); // never hang the bench
    window.show();
    return app.exec();
}

} // namespace bench
