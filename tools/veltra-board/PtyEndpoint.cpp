#include "tools/veltra-board/PtyEndpoint.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace veltra::board_sim {

PtyEndpoint::~PtyEndpoint() {
    unlink();
    if (master_ >= 0) ::close(master_);
}

bool PtyEndpoint::open(std::string& error) {
    int slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&master_, &slave, name, &raw, nullptr) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    // The editor is the one who keeps the slave open.
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    slavePath_ = name;
    return true;
}

bool PtyEndpoint::link(const std::string& path, std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = path + " exists and is not a symlink; not replacing it";
        return false;
    }
    // Build the new link beside the old one and swap it in, so the name never goes missing.
    const std::string temp = path + ".new";
    ::unlink(temp.c_str());
    if (::symlink(slavePath_.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot create the link " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    linkPath_ = path;
    return true;
}

void PtyEndpoint::unlink() {
    if (linkPath_.empty()) return;
    char target[512] = {};
    ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && slavePath_ == std::string(target, static_cast<std::size_t>(n))) ::unlink(linkPath_.c_str());
    linkPath_.clear();
}

} // namespace veltra::board_sim
