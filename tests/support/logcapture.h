// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LOGCAPTURE_H
#define LOGCAPTURE_H

#include <QString>
#include <QStringList>

// Collects the program's debug log for a test (the program installs no
// handler of its own). One instance at a time.
class LogCapture
{
public:
    struct Line {
        QString text;
        QString file;
        QString function;
        int line;
    };

    LogCapture();
    ~LogCapture();

    void clear();
    QStringList texts() const;
    const QList<Line> &lines() const;
    int count(const QString &text) const;     // exact matches
    bool contains(const QString &text) const; // exact match
    int indexOf(const QString &text, int from = 0) const;
    bool anyStartsWith(const QString &prefix) const;
    // Processes events until the text has been logged (exact) or the
    // ceiling passes.
    bool waitFor(const QString &text, int timeoutMs = 10000) const;
    void echo(bool on) { echo_ = on; } // also print to stderr

private:
    static void handler(QtMsgType type, const QMessageLogContext &ctx, const QString &msg);
    QtMessageHandler previous_;
    QList<Line> lines_;
    bool echo_ = false;
};

#endif // LOGCAPTURE_H
