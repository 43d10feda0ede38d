#include "tests/support/PtyBoardPeer.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace veltra::test {

using Clock = std::chrono::steady_clock;

PtyBoardPeer::PtyBoardPeer() {
    int slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&master_, &slave, name, &raw, nullptr) != 0) throw std::runtime_error("openpty failed");
    // Only the program keeps the slave open, as with a real port.
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    slavePath_ = name;
    thread_ = std::thread([this] { loop(); });
}

PtyBoardPeer::~PtyBoardPeer() {
    stop_ = true;
    thread_.join();
    if (master_ >= 0) ::close(master_);
}

void PtyBoardPeer::setStatus(std::uint8_t code, std::uint8_t status) {
    std::lock_guard lock(mutex_);
    statusFor_[code] = status;
}

void PtyBoardPeer::setReplyDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    delay_ = delay;
}

void PtyBoardPeer::setPollPayload(std::vector<std::uint8_t> payload) {
    std::lock_guard lock(mutex_);
    pollPayload_ = std::move(payload);
}

void PtyBoardPeer::setOnWritten(std::function<void()> callback) {
    std::lock_guard lock(mutex_);
    onWritten_ = std::move(callback);
}

void PtyBoardPeer::sendRaw(std::vector<std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    outbox_.emplace_back(Clock::now(), std::move(bytes));
}

void PtyBoardPeer::closeMaster() {
    closeRequested_ = true;
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!closed_ && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

std::vector<ReceivedFrame> PtyBoardPeer::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

std::size_t PtyBoardPeer::frameCount() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}

std::size_t PtyBoardPeer::countOf(std::uint8_t code) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& f : frames_)
        n += f.frame.code() == code;
    return n;
}

std::optional<PeerFrame> PtyBoardPeer::lastOf(std::uint8_t code) const {
    std::lock_guard lock(mutex_);
    for (auto it = frames_.rbegin(); it != frames_.rend(); ++it)
        if (it->frame.code() == code) return it->frame;
    return std::nullopt;
}

void PtyBoardPeer::clearFrames() {
    std::lock_guard lock(mutex_);
    frames_.clear();
}

void PtyBoardPeer::answer(const PeerFrame& frame) {
    // Called with mutex_ held.
    std::uint8_t code = frame.code();
    auto it = statusFor_.find(code);
    std::uint8_t status = it == statusFor_.end() ? 0 : it->second;
    auto bytes = peerAnswer(code, status, code == 0x10 ? pollPayload_ : std::vector<std::uint8_t>{});
    outbox_.emplace_back(Clock::now() + delay_, std::move(bytes));
}

void PtyBoardPeer::loop() {
    std::uint8_t buf[512];
    while (!stop_) {
        if (closeRequested_ && !closed_) {
            ::close(master_);
            master_ = -1;
            closed_ = true;
        }
        if (closed_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        pollfd p{master_, POLLIN, 0};
        int ready = ::poll(&p, 1, 5);
        if (ready > 0 && (p.revents & POLLIN)) {
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                auto got = parser_.push(buf, static_cast<std::size_t>(n));
                std::lock_guard lock(mutex_);
                for (auto& f : got) {
                    frames_.push_back({f, Clock::now()});
                    if (answering_) answer(f);
                }
            }
        } else if (ready > 0) {
            // No slave open (POLLHUP): nothing to read, do not spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }

        std::lock_guard lock(mutex_);
        auto now = Clock::now();
        for (auto it = outbox_.begin(); it != outbox_.end();) {
            if (it->first > now) {
                ++it;
                continue;
            }
            std::size_t done = 0;
            while (done < it->second.size()) {
                ssize_t w = ::write(master_, it->second.data() + done, it->second.size() - done);
                if (w <= 0) break;
                done += static_cast<std::size_t>(w);
            }
            bytesSent_ += done;
            it = outbox_.erase(it);
            if (done > 0 && onWritten_) onWritten_();
        }
    }
}

} // namespace veltra::test
