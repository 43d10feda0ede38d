#include "tools/veltra-board/BoardSession.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace veltra::board_sim {

namespace {
// How long to rest while no program has the terminal open: the master then
// reports a hang-up at once, and looking again at once would spin.
constexpr int kNobodyThereRestMs = 20;
// Reads per wake-up: a peer that never stops sending must not keep the board's
// clock and window waiting; the notifier calls again for the rest.
constexpr int kMaxReadsPerWake = 16;
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
                           std::ostream& log, QObject* parent)
    : QObject(parent), fd_(masterFd), responder_(responder), options_(options), log_(log),
      random_(static_cast<unsigned>(Clock::now().time_since_epoch().count())),
      reader_(masterFd, QSocketNotifier::Read), writer_(masterFd, QSocketNotifier::Write) {
    writer_.setEnabled(false);
    connect(&reader_, &QSocketNotifier::activated, this, &BoardSession::readAvailable);
    connect(&writer_, &QSocketNotifier::activated, this, &BoardSession::writeOut);
    dueTimer_.setSingleShot(true);
    dueTimer_.setTimerType(Qt::PreciseTimer);
    connect(&dueTimer_, &QTimer::timeout, this, &BoardSession::sendDueAnswers);
    restTimer_.setSingleShot(true);
    restTimer_.setInterval(kNobodyThereRestMs);
    connect(&restTimer_, &QTimer::timeout, this, [this] { reader_.setEnabled(true); });
}

void BoardSession::readAvailable() {
    std::uint8_t buffer[4096];
    for (int reads = 0; reads < kMaxReadsPerWake; ++reads) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            receive(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        // EIO (or end of file): nobody has the slave open.
        restWhileNobodyThere();
        break;
    }
    sendDueAnswers();
}

void BoardSession::restWhileNobodyThere() {
    out_.clear();
    writer_.setEnabled(false);
    reader_.setEnabled(false);
    restTimer_.start();
}

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
                bytesOut.push_back(static_cast<std::uint8_t>(b >= kFrameStart ? b + 1 : b));
            }
        }
        scheduled_.emplace_back(Clock::now() + std::chrono::milliseconds(options_.delayMs),
                                std::move(bytesOut));
    }
}

void BoardSession::sendDueAnswers() {
    const auto now = Clock::now();
    while (!scheduled_.empty() && scheduled_.front().first <= now) {
        auto& bytes = scheduled_.front().second;
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        scheduled_.pop_front();
    }
    writeOut();
    if (scheduled_.empty()) return;
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(scheduled_.front().first - Clock::now()).count();
    dueTimer_.start(static_cast<int>(std::max<long>(0, wait)));
}

void BoardSession::writeOut() {
    while (!out_.empty()) {
        const ssize_t n = ::write(fd_, out_.data(), out_.size());
        if (n > 0) {
            out_.erase(out_.begin(), out_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            writer_.setEnabled(true);
            return;
        }
        // Nobody on the other side: the answer is lost, as on a real line.
        out_.clear();
    }
    writer_.setEnabled(false);
}

} // namespace veltra::board_sim
