#pragma once
// How well the link works, counted where the frames pass: the polls sent, the
// replies, how long the board took to answer, what arrived damaged, what was
// never answered, and the device's losses and returns. One record for every
// program that keeps a link: the editor shows it as the tooltip of the link's
// status panel, veltra-link prints it.
//
// It lives with the link state on the thread of the link session and needs no
// lock. Times are given by the caller, so tests use any clock.

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace veltra {

struct RoundTrip {
    double minMs = 0;
    double medianMs = 0;
    double maxMs = 0;

    bool operator==(const RoundTrip&) const = default;
};

struct HealthFigures {
    std::uint64_t polls = 0;            // polls sent
    std::uint64_t replies = 0;          // frames received
    std::optional<RoundTrip> roundTrip; // over the last kRoundTripWindow answers; none before the first
    std::uint64_t crcErrors = 0;        // received frames whose CRC does not match their data
    std::uint64_t framingErrors = 0;    // stray bytes, broken or oversized headers, frames cut short
    std::uint64_t timeouts = 0;         // frames sent that no answer followed in time
    std::uint64_t deviceLosses = 0;
    std::uint64_t reconnects = 0; // the lost or missing device opened again

    bool operator==(const HealthFigures&) const = default;
};

class LinkHealth {
  public:
    using Clock = std::chrono::steady_clock;
    // Round trips kept for the median: a watch of days stays this small.
    static constexpr std::size_t kRoundTripWindow = 1024;
    // A poll not answered within this counts as a timeout. A request's answer
    // is awaited as long as its requester waits (ReplyTimedOut).
    static constexpr std::chrono::milliseconds kPollTimeout{1000};

    void FrameSent(std::uint8_t code, bool isPoll, Clock::time_point at);
    // Every frame the link takes; the oldest frame sent with its code, still
    // awaiting an answer, gives the round trip.
    void FrameReceived(std::span<const std::uint8_t> frame, Clock::time_point at);
    // The requester of `code` stopped waiting for its answer.
    void ReplyTimedOut(std::uint8_t code);
    // Breaks in the received stream. An answer lost in one would pair every
    // later answer with the poll before its own (answers carry no sequence
    // number), so the polls awaited are forgotten: the next answer pairs anew.
    void FramingErrors(unsigned count);
    void DeviceLost() { ++figures_.deviceLosses; }
    void Reconnected() { ++figures_.reconnects; }

    // The figures now: polls older than kPollTimeout count as timeouts.
    HealthFigures Figures(Clock::time_point now);
    HealthFigures Figures() { return Figures(Clock::now()); }

  private:
    struct Sent {
        std::uint8_t code;
        bool poll;
        Clock::time_point at;
    };
    void expirePolls(Clock::time_point now);

    HealthFigures figures_;
    std::deque<Sent> awaiting_;
    std::deque<double> roundTrips_;
};

// The figures for people, one line each, as the editor's tooltip and
// veltra-link show them.
QStringList healthLines(const HealthFigures& figures);

} // namespace veltra
