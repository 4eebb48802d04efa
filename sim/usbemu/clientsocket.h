// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CLIENTSOCKET_H
#define CLIENTSOCKET_H

// This process's end of one program's connection to umockdev's socket for a
// device node: every open() of the node under libumockdev-preload is one.
// umockdev keeps the connection to itself and stops reading it when its
// answer to a program killed mid-ioctl cannot be sent, so it may never see
// that program go. The socket itself hangs up the moment the program closes
// the node or dies, which is when the kernel releases a usbfs handle.

#include <string>
#include <sys/types.h>
#include <vector>

namespace sim::usbemu {

class ClientSocket
{
public:
    ClientSocket() = default;

    // The connection to `devnode` that umockdev has just accepted: the one
    // socket in this process bound to the node's ioctl socket that is not in
    // `known`. Invalid unless there is exactly one.
    static ClientSocket accepted(const std::string &devnode,
                                 const std::vector<ClientSocket> &known);

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The program has closed its end or died. Also true once umockdev has
    // closed ours, which it does only after reading the program's end;
    // false for an invalid one, which knows nothing.
    bool hungUp() const;

private:
    ClientSocket(int fd, ino_t inode) : fd_(fd), inode_(inode) {}

    int fd_ = -1;
    ino_t inode_ = 0; // tells our socket from a later one under the same number
};

} // namespace sim::usbemu

#endif // CLIENTSOCKET_H
