// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TRANSLATIONRECORDER_H
#define TRANSLATIONRECORDER_H

#include <QCoreApplication>
#include <QPair>
#include <QSet>
#include <QTranslator>

// Installed while it lives; records every (context, source text) the
// program asks to translate, and translates nothing.
class TranslationRecorder : public QTranslator
{
public:
    TranslationRecorder() { QCoreApplication::installTranslator(this); }
    ~TranslationRecorder() override { QCoreApplication::removeTranslator(this); }

    QString translate(const char *context, const char *sourceText, const char * = nullptr,
                      int = -1) const override
    {
        seen_.insert({QString::fromUtf8(context), QString::fromUtf8(sourceText)});
        return QString();
    }
    bool isEmpty() const override { return false; }

    bool saw(const QString &context, const QString &text) const
    {
        return seen_.contains({context, text});
    }

private:
    mutable QSet<QPair<QString, QString>> seen_;
};

#endif // TRANSLATIONRECORDER_H
