// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/usbemu/clientsocket.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace sim::usbemu {

namespace {
// umockdev binds a node's socket at <testbed>/ioctl/<node>; the connections
// it accepts there carry that address as their own.
bool boundTo(int fd, const std::string &suffix)
{
    int listening = 0;
    socklen_t size = sizeof listening;
    if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || listening)
        return false;
    sockaddr_un address{};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0
        || address.sun_family != AF_UNIX || length <= offsetof(sockaddr_un, sun_path))
        return false;
    const std::string path(address.sun_path,
                           strnlen(address.sun_path, length - offsetof(sockaddr_un, sun_path)));
    return path.size() >= suffix.size()
           && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

ino_t socketInode(int fd)
{
    struct stat info = {};
    return fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode) ? info.st_ino : 0;
}
} // namespace

ClientSocket ClientSocket::accepted(const std::string &devnode,
                                    const std::vector<ClientSocket> &known)
{
    const std::string suffix = "/ioctl" + devnode;
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return {};
    std::vector<ClientSocket> fresh;
    while (const dirent *entry = readdir(dir)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(dir))
            continue;
        const ino_t inode = socketInode(int(fd));
        const bool seen = std::any_of(known.begin(), known.end(),
                                      [&](const ClientSocket &s) { return s.inode_ == inode; });
        if (inode != 0 && !seen && boundTo(int(fd), suffix))
            fresh.push_back(ClientSocket(int(fd), inode));
    }
    closedir(dir);
    return fresh.size() == 1 ? fresh.front() : ClientSocket();
}

bool ClientSocket::hungUp() const
{
    if (!valid())
        return false;
    if (socketInode(fd_) != inode_)
        return true;
    pollfd watch = {fd_, POLLRDHUP, 0};
    return poll(&watch, 1, 0) == 1 && (watch.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
}

} // namespace sim::usbemu
