#include "link/LinkHealth.h"

#include <algorithm>

#include "wire/FrameCodec.h"

namespace veltra {

namespace {
// Sent frames still awaited; a board that never answers a request whose
// requester never says so cannot make the list grow beyond this.
constexpr std::size_t kAwaitedLimit = 64;
} // namespace

void LinkHealth::FrameSent(std::uint8_t code, bool isPoll, Clock::time_point at) {
    if (isPoll) ++figures_.polls;
    expirePolls(at);
    if (awaiting_.size() == kAwaitedLimit) {
        awaiting_.pop_front();
        ++figures_.timeouts;
    }
    awaiting_.push_back({code, isPoll, at});
}

void LinkHealth::FrameReceived(std::span<const std::uint8_t> frame, Clock::time_point at) {
    ++figures_.replies;
    if (!FrameCrcMatches(frame)) ++figures_.crcErrors;
    if (frame.size() <= kFrameCodeAt) return;
    const std::uint8_t code = frame[kFrameCodeAt];
    const auto sent =
        std::find_if(awaiting_.begin(), awaiting_.end(), [&](const Sent& s) { return s.code == code; });
    if (sent == awaiting_.end()) return;
    const std::chrono::duration<double, std::milli> took = at - sent->at;
    awaiting_.erase(sent);
    if (roundTrips_.size() == kRoundTripWindow) roundTrips_.pop_front();
    roundTrips_.push_back(took.count());
}

void LinkHealth::FramingErrors(unsigned count) {
    if (count == 0) return;
    figures_.framingErrors += count;
    std::erase_if(awaiting_, [](const Sent& s) { return s.poll; });
}

void LinkHealth::ReplyTimedOut(std::uint8_t code) {
    const auto sent = std::find_if(awaiting_.begin(), awaiting_.end(),
                                   [&](const Sent& s) { return s.code == code && !s.poll; });
    if (sent == awaiting_.end()) return;
    awaiting_.erase(sent);
    ++figures_.timeouts;
}

void LinkHealth::expirePolls(Clock::time_point now) {
    const auto before = awaiting_.size();
    std::erase_if(awaiting_, [&](const Sent& s) { return s.poll && now - s.at > kPollTimeout; });
    figures_.timeouts += before - awaiting_.size();
}

HealthFigures LinkHealth::Figures(Clock::time_point now) {
    expirePolls(now);
    HealthFigures figures = figures_;
    if (!roundTrips_.empty()) {
        std::vector<double> sorted(roundTrips_.begin(), roundTrips_.end());
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
        figures.roundTrip = RoundTrip{sorted.front(), median, sorted.back()};
    }
    return figures;
}

QStringList healthLines(const HealthFigures& f) {
    auto n = [](std::uint64_t value) { return QString::number(value); };
    auto ms = [](double value) { return QString::number(value, 'f', 0) + QStringLiteral(" мс"); };
    QStringList lines;
    lines << QStringLiteral("опросов: %1, ответов: %2").arg(n(f.polls), n(f.replies));
    if (f.roundTrip) {
        lines << QStringLiteral("время ответа: мин. %1, медиана %2, макс. %3")
                     .arg(ms(f.roundTrip->minMs), ms(f.roundTrip->medianMs), ms(f.roundTrip->maxMs));
    } else {
        lines << QStringLiteral("время ответа: ответов не было");
    }
    lines << QStringLiteral("ошибок CRC: %1, ошибок кадра: %2, без ответа: %3")
                 .arg(n(f.crcErrors), n(f.framingErrors), n(f.timeouts));
    lines << QStringLiteral("потерь устройства: %1, переподключений: %2")
                 .arg(n(f.deviceLosses), n(f.reconnects));
    return lines;
}

} // namespace veltra
