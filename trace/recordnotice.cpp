// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/recordnotice.h"

#include "trace/tracewriter.h"

#include <QDir>
#include <QMessageBox>

namespace {
const char kTitle[] = "Tavrix - rekaman";
}

void RecordNotice::failed(const QString &message)
{
    trace::reportToConsoleAndLog(message);
    if (window_)
        box(true, message);
    else
        pendingFailure_ = message;
}

void RecordNotice::show(QWidget *window, const QString &path, bool recording)
{
    window_ = window;
    if (recording) {
        box(false, QStringLiteral("Sesi ini direkam ke file:\n%1\n\n"
                                  "Rekaman selesai saat jendela Tavrix ditutup.")
                       .arg(QDir::toNativeSeparators(path)));
    } else if (!pendingFailure_.isEmpty()) {
        box(true, pendingFailure_);
        pendingFailure_.clear();
    }
}

void RecordNotice::box(bool warning, const QString &text)
{
    const QString shown = warning ? QStringLiteral(
                                        "Rekaman tidak dapat dibuat atau ditulis:\n%1\n\n"
                                        "Tavrix tetap berjalan tanpa rekaman.")
                                        .arg(text)
                                  : text;
    // Not modal, and the window's own: the session goes on behind it, and
    // closing the window still ends the program.
    auto *message = new QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information,
                                    QString::fromLatin1(kTitle), shown, QMessageBox::Ok, window_);
    message->setAttribute(Qt::WA_DeleteOnClose);
    message->setModal(false);
    message->show();
}
