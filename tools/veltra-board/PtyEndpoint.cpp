#include "tools/veltra-board/PtyEndpoint.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <random>
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
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    if (exists && !S_ISLNK(st.st_mode)) {
        error = path + " exists and is not a symlink; not replacing it";
        return false;
    }
    if (!exists) {
        // symlink() never replaces anything, even what appears meanwhile.
        if (::symlink(slavePath_.c_str(), path.c_str()) != 0) {
            error = "cannot create the link " + path + ": " + std::strerror(errno);
            return false;
        }
    } else {
        // An old link from an earlier run: build the new one beside it and swap
        // it in, so the name never goes missing.
        std::string temp;
        if (!linkUnderFreshName(path, temp, error)) return false;
        if (::rename(temp.c_str(), path.c_str()) != 0) {
            error = "cannot replace the link " + path + ": " + std::strerror(errno);
            ::unlink(temp.c_str());
            return false;
        }
    }
    linkPath_ = path;
    return true;
}

bool PtyEndpoint::linkUnderFreshName(const std::string& path, std::string& temp, std::string& error) const {
    // A name nobody else uses: the process id and a random part, and
    // symlink() fails rather than touch a file that already has the name.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".veltra-board-%ld-%08x", static_cast<long>(::getpid()),
                      static_cast<unsigned>(random()));
        temp = path + suffix;
        if (::symlink(slavePath_.c_str(), temp.c_str()) == 0) return true;
        if (errno != EEXIST) break;
    }
    error = "cannot create a link beside " + path + ": " + std::strerror(errno);
    return false;
}

void PtyEndpoint::unlink() {
    if (linkPath_.empty()) return;
    char target[512] = {};
    ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && slavePath_ == std::string(target, static_cast<std::size_t>(n))) ::unlink(linkPath_.c_str());
    linkPath_.clear();
}

} // namespace veltra::board_sim
