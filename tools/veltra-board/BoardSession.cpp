#include "tools/veltra-board/BoardSession.h"

#include <cerrno>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace veltra::board_sim {

namespace {
// How long to rest while no program has the terminal open: the master then
// reports a hang-up at once, and looking again at once would spin.
constexpr auto kNobodyThereRest = std::chrono::milliseconds(20);
constexpr int kIdlePollMs = 100;
} // namespace

std::string hexLine(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) line += ' ';
        line += digits[bytes[i] >> 4];
        line += digits[bytes[i] & 0xF];
    }
    return line;
}

BoardSession::BoardSession(int masterFd, BoardResponder& responder, const BoardOptions& options,
                           std::ostream& log)
    : fd_(masterFd), responder_(responder), options_(options), log_(log),
      random_(static_cast<unsigned>(Clock::now().time_since_epoch().count())) {}

void BoardSession::receive(const std::uint8_t* bytes, std::size_t length) {
    for (auto& request : parser_.push(bytes, length)) {
        log_ << "rx " << hexLine(request.raw) << (request.crcOk ? "" : "  (bad CRC)") << '\n' << std::flush;
        auto answer = responder_.Answer(request);
        if (!answer) continue;
        auto bytesOut = encodeAnswer(request.code, *answer);
        if (options_.noise) {
            // Never a 0x77: noise must not look like the start of a frame.
            std::uniform_int_distribution<int> count(1, 8), value(0, 254);
            for (int n = count(random_); n > 0; --n) {
                int b = value(random_);
                bytesOut.push_back(static_cast<std::uint8_t>(b >= 0x77 ? b + 1 : b));
            }
        }
        scheduled_.emplace_back(Clock::now() + std::chrono::milliseconds(options_.delayMs),
                                std::move(bytesOut));
    }
}

void BoardSession::queueDueAnswers() {
    const auto now = Clock::now();
    while (!scheduled_.empty() && scheduled_.front().first <= now) {
        auto& bytes = scheduled_.front().second;
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        scheduled_.pop_front();
    }
}

void BoardSession::writeOut() {
    while (!out_.empty()) {
        ssize_t n = ::write(fd_, out_.data(), out_.size());
        if (n > 0) {
            out_.erase(out_.begin(), out_.begin() + n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        // Nobody on the other side: the answer is lost, as on a real line.
        out_.clear();
    }
}

int BoardSession::pollTimeoutMs() const {
    if (scheduled_.empty()) return kIdlePollMs;
    auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(scheduled_.front().first - Clock::now());
    return static_cast<int>(std::max<long>(0, std::min<long>(wait.count() + 1, kIdlePollMs)));
}

void BoardSession::run(const volatile std::sig_atomic_t& stop) {
    std::uint8_t buffer[4096];
    while (!stop) {
        pollfd p{fd_, static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT)), 0};
        int ready = ::poll(&p, 1, pollTimeoutMs());
        if (ready > 0 && (p.revents & POLLIN)) {
            ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) receive(buffer, static_cast<std::size_t>(n));
        } else if (ready > 0 && (p.revents & (POLLHUP | POLLERR))) {
            out_.clear();
            std::this_thread::sleep_for(kNobodyThereRest);
        }
        queueDueAnswers();
        writeOut();
    }
}

} // namespace veltra::board_sim
