#include <gtest/gtest.h>

#include <vector>

#include "link/LinkDisplay.h"
#include "link/LinkProtocol.h"
#include "tests/support/PeerFrameParser.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;

// One worker cycle as the port runs it: OnLinkCycle, then the frame is taken.
std::optional<test::PeerFrame> cycle(LinkProtocol& link, const ProgramImage& image = {}) {
    TxFrameSlot tx;
    link.SetUploadProgram(image);
    link.OnLinkCycle(tx);
    if (!tx.txPending) return std::nullopt;
    test::PeerFrameParser parser;
    auto frames = parser.push(tx.txFrame.data(), tx.txLength);
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_EQ(parser.buffered(), 0u);
    return frames.empty() ? std::nullopt : std::optional(frames[0]);
}

void receive(LinkProtocol& link, std::uint8_t code, std::uint8_t status) {
    auto bytes = test::peerAnswer(code, status);
    link.OnFrameReceived(bytes);
}

TEST(OnLinkCycle, PollsWhenNothingIsPendingOrAwaited) {
    LinkProtocol link;
    for (int i = 0; i < 3; ++i) {
        auto f = cycle(link);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->bytes, (Bytes{0x77, 0x70, 0x61, 0x10, 0, 0, 0, 0x0A}));
        EXPECT_EQ(link.pendingRequestCode(), 0);
    }
}

TEST(OnLinkCycle, SeveralFlagsGoOutOnePerCycleInOrder) {
    LinkProtocol link;
    ProgramImage image;
    image.words[0] = 0x1234;
    image.count = 1;
    link.SetConsoleCommand(0x0102, 0, false);
    for (RequestCode code : {RequestCode::Status, RequestCode::Reset, RequestCode::MemoryErase,
                             RequestCode::MemoryWrite, RequestCode::Command, RequestCode::Upload})
        link.Raise(code);
    link.SkipNextPoll();

    const std::uint8_t order[] = {0x24, 0x25, 0x30, 0x31, 0xF0, 0x12};
    for (auto code : order) {
        auto f = cycle(link, image);
        ASSERT_TRUE(f) << int(code);
        EXPECT_EQ(f->code(), code);
        // Each request goes out although the previous one is still awaited.
        EXPECT_EQ(link.pendingRequestCode(), code);
    }
    EXPECT_FALSE(link.uploadRequest() || link.consoleCommandRequest() || link.memoryWriteRequest() ||
                 link.memoryEraseRequest() || link.resetRequest() || link.statusRequest());
    // skipPoll comes after every request, and while a reply is awaited no poll goes out.
    EXPECT_FALSE(cycle(link));
    EXPECT_FALSE(link.skipPoll());
    EXPECT_FALSE(cycle(link));
    link.ClearPendingRequest();
    EXPECT_EQ(cycle(link)->code(), 0x10);
}

TEST(OnLinkCycle, RequestFramesCarryTheirData) {
    LinkProtocol link;
    ProgramImage image;
    image.count = 3;
    image.words[0] = 0x1234;
    image.words[1] = 0xABCD;
    image.words[2] = 0x00FF;
    link.Raise(RequestCode::Upload);
    auto upload = cycle(link, image);
    ASSERT_TRUE(upload);
    EXPECT_EQ(upload->bytes.size(), 8u + 2 * 3 + 2);
    EXPECT_EQ(upload->data(), (Bytes{0x34, 0x12, 0xCD, 0xAB, 0xFF, 0x00}));
    EXPECT_TRUE(upload->crcOk());

    link.SetConsoleCommand(0x4321, 0xD100, true);
    link.Raise(RequestCode::Command);
    auto command = cycle(link, image);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->data(), (Bytes{0x01, 0x21, 0x43, 0x00, 0xD1, 0x01}));

    for (auto [request, code] : {std::pair{RequestCode::MemoryWrite, 0x30},
                                 {RequestCode::MemoryErase, 0x31},
                                 {RequestCode::Reset, 0xF0},
                                 {RequestCode::Status, 0x12}}) {
        link.Raise(request);
        auto f = cycle(link, image);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->bytes.size(), 8u) << code;
        EXPECT_EQ(f->declaredLength(), 0u) << code;
    }
}

TEST(OnLinkCycle, SkipPollSuppressesExactlyOnePoll) {
    LinkProtocol link;
    link.SkipNextPoll();
    EXPECT_FALSE(cycle(link));
    EXPECT_EQ(cycle(link)->code(), 0x10);
    EXPECT_EQ(cycle(link)->code(), 0x10);

    // A pending request is sent first and keeps skipPoll for the next empty cycle.
    link.SkipNextPoll();
    link.Raise(RequestCode::Reset);
    EXPECT_EQ(cycle(link)->code(), 0xF0);
    link.ClearPendingRequest();
    EXPECT_FALSE(cycle(link));
    EXPECT_EQ(cycle(link)->code(), 0x10);
}

TEST(OnLinkCycle, CountdownRunsDownOncePerCycleAndStopsAtZero) {
    LinkProtocol link;
    receive(link, 0x10, 0);
    EXPECT_EQ(link.linkCountdown(), 40);
    for (int i = 0; i < 39; ++i)
        cycle(link);
    EXPECT_TRUE(link.LinkAlive());
    link.SkipNextPoll(); // also counted when nothing is sent
    cycle(link);
    EXPECT_FALSE(link.LinkAlive());
    cycle(link);
    EXPECT_EQ(link.linkCountdown(), 0);
}

TEST(OnFrameReceived, RecordsRepliesAndCountsThem) {
    struct Case {
        std::uint8_t code, status;
        std::int32_t ioCount;
        bool eeprom;
    };
    const Case cases[] = {
        {0x10, 0x00, 1, false}, {0x25, 0x01, 2, false}, {0x24, 0x10, 2, false}, // memory failure: not counted
        {0x30, 0x00, 3, false}, {0x30, 0x02, 4, true},  {0x31, 0x10, 4, true},  {0x12, 0x11, 4, false},
    };
    LinkProtocol link;
    QString shown;
    link.SetShowMessage([&](const QString& text) { shown = text; });
    for (const auto& c : cases) {
        shown.clear();
        receive(link, c.code, c.status);
        EXPECT_EQ(link.linkCountdown(), 40);
        EXPECT_EQ(link.lastReplyCode(), c.code);
        EXPECT_EQ(link.lastReplyStatus(), c.status);
        EXPECT_EQ(link.ioCount(), c.ioCount) << int(c.code) << "/" << int(c.status);
        EXPECT_EQ(shown, c.eeprom ? QStringLiteral("ERROR EEPROM") : QString()) << int(c.code);
    }
}

TEST(ReplyArrived, TheAwaitedReplyCountsWhateverComesWithItButNothingFromBeforeItsRequest) {
    LinkProtocol link;
    receive(link, 0x12, 0); // the answer to an earlier status request
    link.Raise(RequestCode::Status);
    cycle(link);
    EXPECT_FALSE(link.ReplyArrived());
    // Late poll replies come before and after it in one hand-over.
    receive(link, 0x10, 0);
    receive(link, 0x12, 0x01);
    receive(link, 0x10, 0);
    EXPECT_TRUE(link.ReplyArrived());
    EXPECT_EQ(link.awaitedReplyStatus(), 0x01);
}

TEST(LinkPanelText, AliveShowsTheCountOnEveryTick) {
    for (int tick = 0; tick < 10; ++tick)
        EXPECT_EQ(LinkPanelText(1, tick, 42),
                  std::optional(QStringLiteral("СВЯЗЬ-ОК  ( I/O count: 000042 )")));
    EXPECT_EQ(LinkPanelText(40, 5, 1234567),
              std::optional(QStringLiteral("СВЯЗЬ-ОК  ( I/O count: 1234567 )")));
}

TEST(LinkPanelText, LostBlinksAtTicksFiveAndNine) {
    for (int tick = 0; tick < 10; ++tick) {
        auto text = LinkPanelText(0, tick, 42);
        if (tick == 5)
            EXPECT_EQ(text, std::optional(QStringLiteral("       НЕТ СВЯЗИ !!!    ")));
        else if (tick == 9)
            EXPECT_EQ(text, std::optional(QString()));
        else
            EXPECT_FALSE(text.has_value()) << tick;
    }
}

} // namespace
} // namespace veltra
