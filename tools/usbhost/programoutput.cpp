// SPDX-License-Identifier: GPL-3.0-or-later
#include "programoutput.h"

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

ProgramOutput::ProgramOutput()
{
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    readFd_ = fds[0];
    writeFd_ = fds[1];
    ::fcntl(readFd_, F_SETFL, ::fcntl(readFd_, F_GETFL) | O_NONBLOCK);
    ::fcntl(readFd_, F_SETFD, FD_CLOEXEC);
}

ProgramOutput::~ProgramOutput()
{
    if (readFd_ >= 0)
        ::close(readFd_);
    if (writeFd_ >= 0)
        ::close(writeFd_);
}

void ProgramOutput::becomeChildOutput()
{
    ::dup2(writeFd_, STDOUT_FILENO);
    ::dup2(writeFd_, STDERR_FILENO);
    ::close(writeFd_);
}

void ProgramOutput::parentSide()
{
    ::close(writeFd_);
    writeFd_ = -1;
}

void ProgramOutput::poll(const LineHandler &onLine)
{
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(readFd_, buffer, sizeof buffer)) > 0) {
        std::fwrite(buffer, 1, size_t(n), stdout);
        partial_.append(buffer, size_t(n));
        std::string::size_type end;
        while ((end = partial_.find('\n')) != std::string::npos) {
            std::string line = partial_.substr(0, end);
            partial_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            onLine(line);
        }
    }
    std::fflush(stdout);
}
