// What the board answers to each request code, and what each does to it.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "BoardTestSupport.h"
#include "board/BoardRequests.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;

BoardReply send(BoardModel& board, std::uint8_t code, const Bytes& data = {}) {
    return applyBoardRequest(board, code, data);
}

Bytes command(std::uint16_t word, std::uint16_t prefix = 0, std::uint8_t flag = 0) {
    return {1,
            static_cast<std::uint8_t>(word & 0xFF),
            static_cast<std::uint8_t>(word >> 8),
            static_cast<std::uint8_t>(prefix & 0xFF),
            static_cast<std::uint8_t>(prefix >> 8),
            flag};
}

TEST(Requests, PollAndStatusChangeNothing) {
    BoardModel board;
    board.executeNow(0xA1F1);
    const auto revision = board.revision();
    EXPECT_EQ(send(board, board_request::Poll).status, kBoardAccepted);
    EXPECT_EQ(send(board, board_request::Status).status, kBoardAccepted);
    EXPECT_EQ(board.revision(), revision);
}

TEST(Requests, UploadStoresTheWordsLowByteFirstAndStartsThem) {
    BoardModel board;
    board.executeNow(0x1A01);
    const std::vector<std::uint16_t> words{0xA1F1, 0x4201, 0xA100, 0x4201, 0xE000};
    EXPECT_EQ(send(board, board_request::Upload, test::wordBytes(words)).status, kBoardAccepted);
    EXPECT_TRUE(std::ranges::equal(board.program(), words));
    EXPECT_TRUE(board.state().running);
    EXPECT_EQ(board.state().pc, 0);
    EXPECT_FALSE(board.state().relays[0]) << "an upload starts the program as after a reset";
    board.advance(BoardTime(0));
    EXPECT_EQ(board.state().leds[0], (LedState{1, 15}));
    board.advance(BoardTime(1000));
    EXPECT_EQ(board.state().leds[0], (LedState{0, 0}));
}

TEST(Requests, UploadsTheBoardCannotStoreAreRefusedWithTheMemoryBit) {
    const std::vector<std::uint16_t> kept{0x9107};
    const struct {
        const char* what;
        Bytes data;
    } cases[] = {
        {"odd byte count", {0x01, 0x91, 0x02}},
        {"more than 1000 words", test::wordBytes(std::vector<std::uint16_t>(1001, 0x9301))},
        {"a word the board does not know", test::wordBytes({0x9101, 0xA1F9})},
        {"a jump past the end", test::wordBytes({0xE005})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BoardModel board;
        ASSERT_TRUE(board.loadProgram(kept));
        const BoardReply reply = send(board, board_request::Upload, c.data);
        EXPECT_EQ(reply.status, kBoardNotStored);
        EXPECT_NE(reply.status & kBoardMemoryFailure, 0) << "the host judges an upload by this bit alone";
        EXPECT_FALSE(reply.note.empty());
        EXPECT_TRUE(std::ranges::equal(board.program(), kept));
    }
}

TEST(Requests, EmptyUploadClearsProgramMemory) {
    BoardModel board;
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0x9107}));
    EXPECT_EQ(send(board, board_request::Upload).status, kBoardAccepted);
    EXPECT_TRUE(board.program().empty());
    EXPECT_FALSE(board.state().running);
}

TEST(Requests, ConsoleCommands) {
    const struct {
        const char* what;
        Bytes data;
        std::uint8_t status;
        bool ledsWhite;
        std::uint32_t forwarded;
    } cases[] = {
        {"свд = вкл", command(0xAEF8), kBoardAccepted, true, 0},
        {"вм свд = вкл is forwarded, not executed", command(0xAEF8, 0xD100, 1), kBoardAccepted, false, 1},
        {"module flag without the prefix", command(0xAEF8, 0, 1), kBoardRejected, false, 0},
        {"prefix without the module flag", command(0xAEF8, 0xD100, 0), kBoardRejected, false, 0},
        {"module flag 2", command(0xAEF8, 0xD100, 2), kBoardRejected, false, 0},
        {"first byte not 1", {0, 0xF8, 0xAE, 0, 0, 0}, kBoardRejected, false, 0},
        {"five bytes", {1, 0xF8, 0xAE, 0, 0}, kBoardRejected, false, 0},
        {"a pause cannot run from the console", command(0x4201), kBoardRejected, false, 0},
        {"a jump cannot run from the console", command(0xE000), kBoardRejected, false, 0},
        {"an unknown word", command(0xA1F9), kBoardRejected, false, 0},
        {"a restore from an empty store", command(0xC840), kBoardRejected, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BoardModel board;
        const BoardReply reply = send(board, board_request::Command, c.data);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.note.empty(), c.status == kBoardAccepted);
        EXPECT_EQ(board.state().leds[0].colour, c.ledsWhite ? 8 : 0);
        EXPECT_EQ(board.state().forwardedCount, c.forwarded);
        if (c.forwarded) {
            EXPECT_EQ(board.state().lastForwarded, 0xAEF8);
        }
    }
}

TEST(Requests, ConsoleCommandActsWhileAProgramRuns) {
    BoardModel board;
    ASSERT_EQ(send(board, board_request::Upload, test::wordBytes({0x9301, 0x4201, 0xE000})).status, 0);
    board.advance(BoardTime(0));
    EXPECT_EQ(send(board, board_request::Command, command(0x1A02)).status, kBoardAccepted);
    EXPECT_TRUE(board.state().relays[1]);
    EXPECT_TRUE(board.state().running);
    board.advance(BoardTime(1000));
    EXPECT_EQ(board.state().a, 2);
}

TEST(Requests, ResetStopsClearsAndRestarts) {
    BoardModel board;
    ASSERT_EQ(send(board, board_request::Upload, test::wordBytes({0x9301, 0x4201, 0xE000})).status, 0);
    for (int t = 0; t <= 3000; t += 1000)
        board.advance(BoardTime(t));
    send(board, board_request::Command, command(0xAEF8));
    ASSERT_EQ(board.state().a, 4);
    EXPECT_EQ(send(board, board_request::Reset).status, kBoardAccepted);
    EXPECT_EQ(board.state().a, 0);
    EXPECT_EQ(board.state().leds[3], (LedState{}));
    EXPECT_EQ(board.state().pc, 0);
    EXPECT_TRUE(board.state().running);
    EXPECT_FALSE(board.state().paused);
    board.advance(BoardTime(3001));
    EXPECT_EQ(board.state().a, 1);
}

TEST(Requests, UnknownCodesAreRejected) {
    BoardModel board;
    for (std::uint8_t code : {0x00, 0x11, 0x26, 0x32, 0xFF}) {
        EXPECT_EQ(send(board, code).status, kBoardRejected) << int(code);
    }
}

class MemoryRequests : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("veltra-board-test-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(MemoryRequests, WrittenProgramSurvivesARestartAndEraseClearsIt) {
    const auto path = dir_ / "board.nv";
    const std::vector<std::uint16_t> words{0xA1F1, 0x4101, 0xE000};
    {
        BoardModel board(path);
        ASSERT_EQ(send(board, board_request::Upload, test::wordBytes(words)).status, 0);
        EXPECT_EQ(send(board, board_request::MemoryWrite).status, kBoardAccepted);
    }
    {
        BoardModel restarted(path);
        const NonVolatileRead r = restarted.powerOn();
        EXPECT_EQ(r.status, NonVolatileStatus::Loaded);
        EXPECT_TRUE(std::ranges::equal(restarted.program(), words));
        EXPECT_TRUE(restarted.state().running);
        restarted.advance(BoardTime(0));
        EXPECT_EQ(restarted.state().leds[0], (LedState{1, 15}));
        EXPECT_EQ(send(restarted, board_request::MemoryErase).status, kBoardAccepted);
        EXPECT_TRUE(restarted.state().running) << "erasing the copy leaves the running program alone";
    }
    BoardModel again(path);
    EXPECT_EQ(again.powerOn().status, NonVolatileStatus::Loaded);
    EXPECT_TRUE(again.program().empty());
    EXPECT_FALSE(again.state().running);
}

TEST_F(MemoryRequests, AFileThatCannotBeWrittenIsAMemoryFailure) {
    BoardModel board(dir_ / "no-such-folder" / "board.nv");
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0x9101}));
    BoardReply reply = send(board, board_request::MemoryWrite);
    EXPECT_EQ(reply.status, kBoardNotStored);
    EXPECT_NE(reply.note.find("no-such-folder"), std::string::npos) << reply.note;
    reply = send(board, board_request::MemoryErase);
    EXPECT_EQ(reply.status, kBoardNotStored);
}

TEST(MemoryWithoutFile, CopyLivesInMemory) {
    BoardModel board;
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0x9105}));
    EXPECT_EQ(applyBoardRequest(board, board_request::MemoryWrite, {}).status, kBoardAccepted);
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0x9106}));
    board.powerOn();
    board.advance(BoardTime(0));
    EXPECT_EQ(board.state().a, 5);
}

} // namespace
} // namespace veltra
