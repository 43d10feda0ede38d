#include "link/SerialDevice.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace veltra {

namespace {

// How long one write may wait for room in a full output queue before the
// frame is given up; a frame at 57600 baud needs at most about 0.7 s.
constexpr int kWriteStallMs = 1000;

} // namespace

SerialDevice::~SerialDevice() {
    close();
}

SerialDevice& SerialDevice::operator=(SerialDevice&& other) noexcept {
    if (this == &other) return *this;
    close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    savedTermios_ = other.savedTermios_;
    haveSaved_ = std::exchange(other.haveSaved_, false);
    lastErrno_ = other.lastErrno_;
    return *this;
}

bool SerialDevice::fail(int err) {
    lastErrno_ = err;
    return false;
}

std::string SerialDevice::lastReason() const {
    return lastErrno_ ? std::strerror(lastErrno_) : std::string();
}

bool SerialDevice::openExclusive(const std::string& path) {
    close();
    path_ = path;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return fail(err);
    }
    // Keeps out openers that do not use flock; refused by non-terminals, which
    // the configuration step reports.
    (void)::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    lastErrno_ = 0;
    return true;
}

void applyLinkSettings(termios& t) {
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, B57600);
    cfsetospeed(&t, B57600);
}

bool SerialDevice::configure() {
    if (fd_ < 0) return fail(EBADF);
    (void)::tcflush(fd_, TCIOFLUSH);
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return fail(errno);
    savedTermios_ = t;
    haveSaved_ = true;
    applyLinkSettings(t);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return fail(errno);
    // DTR and RTS stay low; a pseudo-terminal has no modem lines and refuses this.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd_, TIOCMBIC, &lines);
    return true;
}

void SerialDevice::close() {
    if (fd_ < 0) return;
    if (haveSaved_) (void)::tcsetattr(fd_, TCSANOW, &savedTermios_);
    // The exclusive mode outlives this descriptor on a terminal that someone
    // else keeps open; clearing it lets the next opener in.
    (void)::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    haveSaved_ = false;
}

int SerialDevice::bytesWaiting() const {
    if (fd_ < 0) return 0;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0 || n < 0) return 0;
    return n;
}

bool SerialDevice::readByte(std::uint8_t& byte) const {
    if (fd_ < 0) return false;
    return ::read(fd_, &byte, 1) == 1;
}

int SerialDevice::writeAll(const std::uint8_t* data, std::size_t length) const {
    if (fd_ < 0) return EBADF;
    std::size_t done = 0;
    while (done < length) {
        ssize_t n = ::write(fd_, data + done, length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, kWriteStallMs) > 0 && (p.revents & POLLOUT)) continue;
            return EAGAIN;
        }
        return n < 0 ? errno : EIO;
    }
    (void)::tcdrain(fd_);
    return 0;
}

bool SerialDevice::hungUp() const {
    if (fd_ < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool SerialDevice::pathNamesAnotherDevice() const {
    if (fd_ < 0) return false;
    struct stat held = {};
    struct stat named = {};
    if (::fstat(fd_, &held) != 0 || ::stat(path_.c_str(), &named) != 0) return false;
    if (S_ISCHR(held.st_mode) && S_ISCHR(named.st_mode)) return held.st_rdev != named.st_rdev;
    return held.st_dev != named.st_dev || held.st_ino != named.st_ino;
}

} // namespace veltra
