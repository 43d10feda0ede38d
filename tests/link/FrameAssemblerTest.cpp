#include <gtest/gtest.h>

#include <vector>

#include "wire/FrameAssembler.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Feeds all bytes in one cycle and returns the frames completed, in order.
std::vector<Bytes> feedAll(FrameAssembler& a, const Bytes& bytes) {
    a.beginCycle(static_cast<int>(bytes.size()));
    std::vector<Bytes> frames;
    for (auto b : bytes)
        if (a.feed(b)) frames.emplace_back(a.frame().begin(), a.frame().end());
    return frames;
}

Bytes frame(std::uint8_t code, std::uint8_t status, const Bytes& payload = {}) {
    Bytes f = {0x77,
               0x70,
               0x61,
               code,
               static_cast<std::uint8_t>(payload.size() & 0xFF),
               static_cast<std::uint8_t>(payload.size() >> 8),
               status,
               0x0A};
    f.insert(f.end(), payload.begin(), payload.end());
    return f;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct StreamCase {
    const char* name;
    Bytes stream;
    std::vector<Bytes> expected;
};

TEST(FrameAssembler, CutsStreams) {
    const Bytes poll = frame(0x10, 0);
    const Bytes withPayload = frame(0x12, 0, {1, 2, 3, 4});
    const StreamCase cases[] = {
        {"single frame", poll, {poll}},
        {"noise before a frame", cat({{0x00, 0xFF, 0x0A, 0x70, 0x61}, poll}), {poll}},
        {"frame with payload", withPayload, {withPayload}},
        {"two frames back to back", cat({withPayload, poll}), {withPayload, poll}},
        {"noise between frames", cat({poll, {0x01, 0x02}, withPayload}), {poll, withPayload}},
        // A stray 0x77 starts a header that swallows the next bytes; the
        // stream is back in step at the first 0x77 after that false frame.
        {"stray 0x77 in garbage",
         cat({{0x01, 0x77, 0x05, 0x06}, Bytes(5, 0x00), poll}),
         {Bytes{0x77, 0x05, 0x06, 0, 0, 0, 0, 0}, poll}},
        {"nothing but garbage", Bytes{0x00, 0x01, 0x78, 0x0A, 0x0A}, {}},
    };
    for (const auto& c : cases) {
        FrameAssembler a;
        EXPECT_EQ(feedAll(a, c.stream), c.expected) << c.name;
    }
}

TEST(FrameAssembler, HeaderWithoutLineFeedKeepsThePreviousLength) {
    FrameAssembler a;
    // Before any good header the length is 0: the frame ends with its header.
    Bytes bad = {0x77, 0x70, 0x61, 0x25, 0x09, 0x00, 0x00, 0x0B};
    EXPECT_EQ(feedAll(a, bad), std::vector<Bytes>{bad});

    Bytes good = frame(0x24, 0, {9, 9});
    EXPECT_EQ(feedAll(a, good), std::vector<Bytes>{good});
    // Now the previous length of 2 applies to a header whose byte 7 is wrong.
    Bytes badAgain = {0x77, 0x70, 0x61, 0x30, 0x40, 0x00, 0x00, 0x00, 0xAA, 0xBB};
    EXPECT_EQ(feedAll(a, cat({badAgain, {0x01}})), std::vector<Bytes>{badAgain});
    EXPECT_EQ(a.payloadLength, 2);
}

TEST(FrameAssembler, OversizeLengthIsNotCollected) {
    for (std::uint16_t length : {std::uint16_t{0xFFFF}, std::uint16_t{4089}}) {
        FrameAssembler a;
        Bytes oversize = {0x77,
                          0x70,
                          0x61,
                          0x10,
                          static_cast<std::uint8_t>(length & 0xFF),
                          static_cast<std::uint8_t>(length >> 8),
                          0x00,
                          0x0A};
        Bytes filler(5000, 0x55);
        const Bytes poll = frame(0x10, 0);
        EXPECT_EQ(feedAll(a, cat({oversize, filler, poll})), std::vector<Bytes>{poll}) << length;
        EXPECT_LE(a.rxPos, static_cast<int>(kFrameBufferSize));
    }
    // The largest frame that fits is still collected.
    FrameAssembler a;
    Bytes largest = frame(0x24, 0, Bytes(kMaxFramePayload, 0x77));
    EXPECT_EQ(feedAll(a, largest), std::vector<Bytes>{largest});
}

TEST(FrameAssembler, TheBoardSearchesABadHeaderForTheNextStartWhereTheHostKeepsItsLength) {
    const Bytes poll = frame(0x10, 0);
    const Bytes oneByte = {0x77, 0x70, 0x61, 0x25, 0x01, 0x00, 0x00, 0x0A, 0x55};
    const struct {
        const char* name;
        Bytes stream;
        std::vector<Bytes> host;
        std::vector<Bytes> board;
    } cases[] = {
        {"a frame starts inside a header without 0x0A",
         cat({{0x77, 0x01, 0x02}, poll}),
         {Bytes{0x77, 0x01, 0x02, 0x77, 0x70, 0x61, 0x10, 0x00}},
         {poll}},
        {"a payload too short for its CRC", cat({oneByte, poll}), {oneByte, poll}, {poll}},
    };
    for (const auto& c : cases) {
        FrameAssembler host;
        EXPECT_EQ(feedAll(host, c.stream), c.host) << c.name;
        FrameAssembler board(FrameAssembler::HeaderCheck::Resynchronise);
        EXPECT_EQ(feedAll(board, c.stream), c.board) << c.name;
    }
}

TEST(FrameAssembler, PartialFrameDroppedInTheTwentyFirstSilentCycle) {
    const Bytes poll = frame(0x10, 0);
    for (int silent : {20, 21}) {
        FrameAssembler a;
        EXPECT_TRUE(feedAll(a, Bytes(poll.begin(), poll.begin() + 5)).empty());
        for (int i = 0; i < silent; ++i)
            a.beginCycle(0);
        // Dropped: the rest of the old frame is garbage and a new frame is cut.
        // Kept: the rest completes the old frame.
        auto got = feedAll(a, cat({Bytes(poll.begin() + 5, poll.end()), poll}));
        if (silent == 21)
            EXPECT_EQ(got, std::vector<Bytes>{poll}) << silent;
        else
            EXPECT_EQ(got, (std::vector<Bytes>{poll, poll})) << silent;
    }
}

TEST(FrameAssembler, FrameSpreadOverCyclesIsCollected) {
    FrameAssembler a;
    const Bytes f = frame(0x25, 1, {1, 2, 3});
    std::vector<Bytes> got;
    for (auto b : f) {
        auto part = feedAll(a, {b});
        got.insert(got.end(), part.begin(), part.end());
        a.beginCycle(0);
    }
    EXPECT_EQ(got, std::vector<Bytes>{f});
}

// The link's health counts breaks in the stream: each run of stray bytes, each
// broken header, each frame cut short, once, and never a clean frame.
TEST(FrameAssembler, CountsEachBreakInTheStreamOnce) {
    const Bytes poll = frame(0x10, 0);
    const Bytes oversize = {0x77, 0x70, 0x61, 0x10, 0xFF, 0xFF, 0x00, 0x0A};
    const Bytes unterminated = {0x77, 0x70, 0x61, 0x10, 0x00, 0x00, 0x00, 0x0B};
    const struct {
        const char* name;
        FrameAssembler::HeaderCheck check;
        Bytes stream;
        unsigned host;
    } cases[] = {
        {"clean frames", FrameAssembler::HeaderCheck::KeepLastLength,
         cat({poll, poll, frame(0x12, 0, {1, 2})}), 0},
        {"one run of noise", FrameAssembler::HeaderCheck::KeepLastLength, cat({{0, 1, 2, 3}, poll}), 1},
        {"noise on both sides of a frame", FrameAssembler::HeaderCheck::KeepLastLength,
         cat({{0, 1}, poll, {2, 3}, poll}), 2},
        {"an oversize header and what follows it", FrameAssembler::HeaderCheck::KeepLastLength,
         cat({oversize, Bytes(20, 0x55), poll}), 1},
        {"a header without 0x0A, kept", FrameAssembler::HeaderCheck::KeepLastLength,
         cat({unterminated, poll}), 1},
        {"a header without 0x0A, searched again", FrameAssembler::HeaderCheck::Resynchronise,
         cat({unterminated, poll}), 1},
    };
    for (const auto& c : cases) {
        FrameAssembler a(c.check);
        feedAll(a, c.stream);
        EXPECT_EQ(a.TakeFramingErrors(), c.host) << c.name;
        EXPECT_EQ(a.TakeFramingErrors(), 0u) << c.name << ": taken once";
    }

    // A frame cut short is one break when the silence drops it.
    FrameAssembler a;
    feedAll(a, {0x77, 0x70, 0x61});
    for (int cycle = 0; cycle <= FrameAssembler::kSilentCyclesBeforeDrop; ++cycle)
        a.beginCycle(0);
    EXPECT_EQ(a.TakeFramingErrors(), 1u);
}

} // namespace
} // namespace veltra
