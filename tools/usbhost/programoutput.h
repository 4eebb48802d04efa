// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PROGRAMOUTPUT_H
#define PROGRAMOUTPUT_H

#include <functional>
#include <string>

// The program's standard output and error, through one pipe: passed on to
// ours as they come, and handed over a whole line at a time, so that the
// host can act on what the program says instead of on a clock that a
// loaded machine stretches.
class ProgramOutput
{
public:
    using LineHandler = std::function<void(const std::string &line)>;

    ProgramOutput();
    ~ProgramOutput();
    ProgramOutput(const ProgramOutput &) = delete;
    ProgramOutput &operator=(const ProgramOutput &) = delete;

    bool ok() const { return readFd_ >= 0; }
    // In the child, before exec: both outputs go into the pipe.
    void becomeChildOutput();
    // In the parent, after fork: the child's end is closed here.
    void parentSide();
    // Reads what has come, without waiting.
    void poll(const LineHandler &onLine);

private:
    int readFd_ = -1;
    int writeFd_ = -1;
    std::string partial_;
};

#endif // PROGRAMOUTPUT_H
