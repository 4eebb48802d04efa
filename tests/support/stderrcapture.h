// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STDERRCAPTURE_H
#define STDERRCAPTURE_H

#include <QByteArray>

#include <cstdio>
#include <unistd.h>

// Redirects the process's standard error into a temporary file while it
// lives; take() restores it and returns what was written meanwhile.
class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        file_ = std::tmpfile();
        saved_ = dup(2);
        if (file_)
            dup2(fileno(file_), 2);
    }
    ~StderrCapture() { take(); }

    QByteArray take()
    {
        if (saved_ < 0)
            return text_;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
        if (file_) {
            std::rewind(file_);
            char buf[512];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, file_)) > 0)
                text_.append(buf, int(n));
            std::fclose(file_);
            file_ = nullptr;
        }
        return text_;
    }

private:
    std::FILE *file_ = nullptr;
    int saved_ = -1;
    QByteArray text_;
};

#endif // STDERRCAPTURE_H
