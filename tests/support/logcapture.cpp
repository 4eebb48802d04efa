// SPDX-License-Identifier: GPL-3.0-or-later
#include "logcapture.h"
#include "simsupport.h"

#include <cstdio>

namespace {
LogCapture *active = nullptr;
}

LogCapture::LogCapture()
{
    active = this;
    previous_ = qInstallMessageHandler(&LogCapture::handler);
    echo_ = qEnvironmentVariableIsSet("TAVRIX_TEST_ECHO");
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous_);
    active = nullptr;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (!active)
        return;
    if (type == QtDebugMsg) {
        active->lines_.append({msg, QString::fromLatin1(ctx.file ? ctx.file : ""),
                               QString::fromLatin1(ctx.function ? ctx.function : ""), ctx.line});
    }
    if (active->echo_ || type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(msg));
}

void LogCapture::clear()
{
    lines_.clear();
}

QStringList LogCapture::texts() const
{
    QStringList out;
    for (const Line &l : lines_)
        out << l.text;
    return out;
}

const QList<LogCapture::Line> &LogCapture::lines() const
{
    return lines_;
}

int LogCapture::count(const QString &text) const
{
    int n = 0;
    for (const Line &l : lines_)
        n += l.text == text;
    return n;
}

bool LogCapture::contains(const QString &text) const
{
    return indexOf(text) >= 0;
}

int LogCapture::indexOf(const QString &text, int from) const
{
    for (int i = qMax(0, from); i < lines_.size(); ++i)
        if (lines_[i].text == text)
            return i;
    return -1;
}

bool LogCapture::anyStartsWith(const QString &prefix) const
{
    for (const Line &l : lines_)
        if (l.text.startsWith(prefix))
            return true;
    return false;
}

bool LogCapture::waitFor(const QString &text, int timeoutMs) const
{
    return waitUntil([&] { return contains(text); }, timeoutMs);
}
