// The link's health record, on a clock the test sets: round trips matched to
// the frame they answer, what counts as a timeout, damaged frames.

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <vector>

#include "link/LinkHealth.h"
#include "wire/FrameCodec.h"

namespace veltra {

// Failure messages show the record field by field.
void PrintTo(const HealthFigures& f, std::ostream* out) {
    *out << "{polls " << f.polls << ", replies " << f.replies << ", round trip ";
    if (f.roundTrip)
        *out << f.roundTrip->minMs << "/" << f.roundTrip->medianMs << "/" << f.roundTrip->maxMs;
    else
        *out << "none";
    *out << ", CRC " << f.crcErrors << ", framing " << f.framingErrors << ", timeouts " << f.timeouts
         << ", losses " << f.deviceLosses << ", reconnects " << f.reconnects << "}";
}

namespace {

using namespace std::chrono_literals;
using Clock = LinkHealth::Clock;

constexpr std::uint8_t kPoll = 0x10;
constexpr std::uint8_t kStatus = 0x12;

std::vector<std::uint8_t> answer(std::uint8_t code, std::vector<std::uint8_t> data = {}) {
    std::array<std::uint8_t, kFrameBufferSize> out{};
    const std::size_t n = EncodeFrame(code, 0, data, out);
    return {out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n)};
}

// One step of a link's life, at `atMs` on the test's clock.
struct Step {
    enum Kind {
        SentPoll,
        SentRequest,
        Received,
        ReceivedDamaged,
        RequesterGaveUp,
        StreamBroke,
        Lost,
        Reopened
    } kind;
    std::uint8_t code;
    int atMs;
};

struct HealthCase {
    const char* name;
    std::vector<Step> steps;
    int readAtMs;
    HealthFigures expected;
};

TEST(LinkHealth, CountsWhatTheLinkSaw) {
    const auto rt = [](double min, double median, double max) { return RoundTrip{min, median, max}; };
    const HealthCase cases[] = {
        {"answers give min, median and max",
         {{Step::SentPoll, kPoll, 0},
          {Step::Received, kPoll, 5},
          {Step::SentPoll, kPoll, 50},
          {Step::Received, kPoll, 70},
          {Step::SentPoll, kPoll, 100},
          {Step::Received, kPoll, 110}},
         200,
         {3, 3, rt(5, 10, 20), 0, 0, 0, 0, 0}},
        {"a request's answer is matched by its code, not by the poll before it",
         {{Step::SentPoll, kPoll, 0},
          {Step::SentRequest, kStatus, 10},
          {Step::Received, kStatus, 40},
          {Step::Received, kPoll, 45}},
         100,
         {1, 2, rt(30, 37.5, 45), 0, 0, 0, 0, 0}},
        {"a poll unanswered for a second is a timeout, once",
         {{Step::SentPoll, kPoll, 0}, {Step::SentPoll, kPoll, 50}, {Step::Received, kPoll, 60}},
         1200,
         {2, 1, rt(60, 60, 60), 0, 0, 1, 0, 0}},
        {"a poll not yet a second old is no timeout",
         {{Step::SentPoll, kPoll, 0}},
         900,
         {1, 0, std::nullopt, 0, 0, 0, 0, 0}},
        {"a request its requester gave up on is a timeout; its late answer has no round trip",
         {{Step::SentRequest, kStatus, 0},
          {Step::RequesterGaveUp, kStatus, 500},
          {Step::Received, kStatus, 600}},
         700,
         {0, 1, std::nullopt, 0, 0, 1, 0, 0}},
        {"an answer lost in a broken stream does not lengthen the round trips after it",
         {{Step::SentPoll, kPoll, 0},
          {Step::Received, kPoll, 5},
          {Step::SentPoll, kPoll, 50},
          {Step::StreamBroke, 0, 57},
          {Step::SentPoll, kPoll, 100},
          {Step::Received, kPoll, 105}},
         200,
         {3, 2, rt(5, 5, 5), 0, 1, 0, 0, 0}},
        {"a damaged answer is a reply and a CRC error",
         {{Step::SentPoll, kPoll, 0}, {Step::ReceivedDamaged, kPoll, 5}},
         10,
         {1, 1, rt(5, 5, 5), 1, 0, 0, 0, 0}},
        {"a lost device and its reopening count apart from the frames",
         {{Step::SentPoll, kPoll, 0}, {Step::Lost, 0, 20}, {Step::Reopened, 0, 500}, {Step::Lost, 0, 600}},
         700,
         {1, 0, std::nullopt, 0, 0, 0, 2, 1}},
    };
    for (const HealthCase& c : cases) {
        LinkHealth health;
        const Clock::time_point t0{};
        for (const Step& s : c.steps) {
            const Clock::time_point at = t0 + std::chrono::milliseconds(s.atMs);
            switch (s.kind) {
            case Step::SentPoll:
                health.FrameSent(s.code, true, at);
                break;
            case Step::SentRequest:
                health.FrameSent(s.code, false, at);
                break;
            case Step::Received:
                health.FrameReceived(answer(s.code), at);
                break;
            case Step::ReceivedDamaged: {
                std::vector<std::uint8_t> frame = answer(s.code, {1, 2});
                frame.back() ^= 0xFF;
                health.FrameReceived(frame, at);
                break;
            }
            case Step::RequesterGaveUp:
                health.ReplyTimedOut(s.code);
                break;
            case Step::StreamBroke:
                health.FramingErrors(1);
                break;
            case Step::Lost:
                health.DeviceLost();
                break;
            case Step::Reopened:
                health.Reconnected();
                break;
            }
        }
        // The whole record, so that a figure added later is compared too.
        EXPECT_EQ(health.Figures(t0 + std::chrono::milliseconds(c.readAtMs)), c.expected) << c.name;
    }
}

// A board that never answers requests nobody gives up on (a console left
// open for days) keeps the record small, and each dropped frame is a timeout.
TEST(LinkHealth, FramesNeverAnsweredStayBounded) {
    LinkHealth health;
    const Clock::time_point t0{};
    for (int i = 0; i < 10000; ++i)
        health.FrameSent(kStatus, false, t0 + std::chrono::milliseconds(i));
    const HealthFigures f = health.Figures(t0 + 20s);
    EXPECT_GE(f.timeouts, 10000u - 64u);
    EXPECT_LT(f.timeouts, 10000u);
}

} // namespace
} // namespace veltra
