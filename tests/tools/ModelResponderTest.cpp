// The simulator's board in process: how the options and damaged frames decide
// an answer before the model does, what the log says, and when a state line
// is printed.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "board/BoardModel.h"
#include "board/BoardRequests.h"
#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-board/ModelResponder.h"
#include "tools/veltra-board/StatePublisher.h"
#include "tools/veltra-board/VirtualBoard.h"

namespace veltra::board_sim {
namespace {

BoardRequest request(std::uint8_t code, std::vector<std::uint16_t> words = {}, bool crcOk = true) {
    BoardRequest r;
    r.code = code;
    for (std::uint16_t w : words) {
        r.data.push_back(static_cast<std::uint8_t>(w & 0xFF));
        r.data.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    r.crcOk = crcOk;
    return r;
}

BoardRequest command(std::uint16_t word, bool toModule = false) {
    BoardRequest r;
    r.code = 0x25;
    r.data = {1,
              static_cast<std::uint8_t>(word & 0xFF),
              static_cast<std::uint8_t>(word >> 8),
              static_cast<std::uint8_t>(toModule ? 0x00 : 0),
              static_cast<std::uint8_t>(toModule ? 0xD1 : 0),
              static_cast<std::uint8_t>(toModule ? 1 : 0)};
    return r;
}

TEST(ModelResponder, OptionsAndDamagedFramesDecideBeforeTheBoardActs) {
    const std::vector<std::uint16_t> program = {0xA1F1, 0x42FF};
    // The options as plain fields (one rejected code at most, 0: none): GCC 12
    // takes a table of std::set for one used uninitialized.
    struct Case {
        const char* what;
        bool silent;
        std::uint8_t rejected;
        bool memoryFail;
        BoardRequest request;
        std::optional<std::uint8_t> status; // nothing: no answer
        std::size_t programSize;            // after the request
    };
    const Case cases[] = {
        {"upload", false, 0, false, request(0x24, program), 0x00, 2},
        {"upload under --memory-fail", false, 0, true, request(0x24, program), 0x10, 0},
        // A refused upload reads as one: the host judges uploads by bit 0x10.
        {"rejected upload", false, 0x24, false, request(0x24, program), 0x11, 0},
        {"rejected command", false, 0x25, false, command(0xA1F1), 0x01, 0},
        {"upload with a bad CRC", false, 0, false, request(0x24, program, false), 0x11, 0},
        {"silent board", true, 0, false, request(0x24, program), std::nullopt, 0},
        {"upload with an unrunnable word", false, 0, false, request(0x24, {0xA1F1, 0x1234}), 0x11, 0},
        {"unknown request", false, 0, false, request(0x55), 0x01, 0},
    };
    for (const Case& c : cases) {
        EchoOptions options;
        options.silent = c.silent;
        if (c.rejected != 0) options.rejected.insert(c.rejected);
        options.memoryFail = c.memoryFail;
        BoardModel board;
        std::ostringstream log;
        int applied = 0;
        ModelResponder responder(board, options, log, [&] { ++applied; });
        const auto answer = responder.Answer(c.request);
        ASSERT_EQ(answer.has_value(), c.status.has_value()) << c.what;
        if (answer) {
            EXPECT_EQ(answer->status, *c.status) << c.what;
        }
        EXPECT_EQ(board.program().size(), c.programSize) << c.what;
        EXPECT_FALSE(log.str().empty() && c.status) << c.what << ": nothing logged";
        if (c.programSize) {
            EXPECT_TRUE(board.state().running) << c.what;
        }
    }
}

TEST(ModelResponder, ConsoleCommandsRunAtOnceOrAreForwarded) {
    BoardModel board;
    std::ostringstream log;
    ModelResponder responder(board, {}, log);
    EXPECT_EQ(responder.Answer(command(0xA3F2))->status, 0);
    EXPECT_EQ(board.state().leds[2], (LedState{2, 15}));
    EXPECT_EQ(responder.Answer(command(0x0042, true))->status, 0);
    EXPECT_EQ(board.state().forwardedCount, 1u);
    EXPECT_EQ(board.state().lastForwarded, 0x0042);
    EXPECT_NE(responder.Answer(command(0x4305))->status, 0) << "a pause means nothing from the console";
    EXPECT_NE(log.str().find("command A3F2  свд_3 = з,15"), std::string::npos) << log.str();
    EXPECT_NE(log.str().find("refused with status 0x01"), std::string::npos) << log.str();
}

TEST(ModelResponder, PollsGetAStatusReportAndChangeNothing) {
    BoardModel board;
    std::ostringstream log;
    ModelResponder responder(board, {}, log);
    const auto revision = board.revision();
    const auto answer = responder.Answer(request(0x10));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 0);
    EXPECT_EQ(answer->payload, (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(board.revision(), revision);
}

TEST(StatePublisher, PrintsTheFirstStateAndThenOneLinePerChange) {
    BoardModel board;
    std::ostringstream log, out;
    StatePublisher publisher(board, log, &out);
    publisher.publish();
    publisher.publish();
    EXPECT_EQ(publisher.linesPrinted(), 1u) << "an unchanged board prints once";
    EXPECT_EQ(out.str().find("\"programSize\":0"), out.str().find("\"programSize\""));

    const std::vector<std::uint16_t> words = {0xD100, 0x0042, 0xA1F1};
    ASSERT_TRUE(board.loadProgram(words));
    board.advance(BoardTime(0));
    publisher.publish();
    publisher.publish();
    EXPECT_EQ(publisher.linesPrinted(), 2u);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_NE(text.rfind("\"leds\":[[1,15]"), std::string::npos) << text;
    EXPECT_NE(log.str().find("module [1] 0042"), std::string::npos) << log.str();
}

TEST(VirtualBoard, TheCopysFileIsNamedInTheLogAsOneLineOfVisibleText) {
    QTemporaryDir dir;
    const std::string copy = dir.path().toStdString() + "/board\n\x1b[2J.nv";
    std::ofstream(copy) << "damaged\n";
    BoardOptions options;
    options.memoryPath = copy;
    std::ostringstream log;
    VirtualBoard board(options, log, nullptr);
    board.powerOn(); // refused: damaged
    ASSERT_EQ(board.responder().Answer(request(board_request::MemoryWrite))->status, 0);
    std::filesystem::create_directory(copy + ".tmp"); // the next write cannot make its file
    ASSERT_NE(board.responder().Answer(request(board_request::MemoryWrite))->status, 0);

    const std::string text = log.str();
    EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3) << text;
    std::size_t named = 0;
    for (std::size_t at = 0; (at = text.find("board\\n\\e[2J.nv", at)) != std::string::npos; ++at)
        ++named;
    EXPECT_EQ(named, 3u) << text;
}

TEST(StatePublisher, WithoutStateOutputOnlyLogsEvents) {
    BoardModel board;
    std::ostringstream log;
    StatePublisher publisher(board, log, nullptr);
    board.forwardToModule(0x0042);
    publisher.publish();
    EXPECT_EQ(publisher.linesPrinted(), 0u);
    EXPECT_NE(log.str().find("module console 0042"), std::string::npos) << log.str();
}

TEST(BoardOptions, ModelOptionsAndWhereTheCopyLives) {
    auto parsed = parseBoardOptions({"--link", "/tmp/b", "--state", "--view"});
    ASSERT_TRUE(parsed.options);
    EXPECT_TRUE(parsed.options->printState);
    EXPECT_TRUE(parsed.options->view);
    EXPECT_FALSE(parsed.options->echoOnly);
    EXPECT_EQ(nonVolatilePath(*parsed.options), "/tmp/b.nv");

    parsed = parseBoardOptions({"--link", "/tmp/b", "--memory", "/tmp/copy"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(nonVolatilePath(*parsed.options), "/tmp/copy");
    parsed = parseBoardOptions({});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(nonVolatilePath(*parsed.options), "") << "no link, no file: the copy lives in memory";

    for (std::vector<std::string> bad : {std::vector<std::string>{"--echo", "--state"},
                                         {"--echo", "--view"},
                                         {"--echo", "--memory", "/tmp/x"},
                                         {"--memory"},
                                         {"--scenario", "s", "--state"},
                                         {"--link", "/tmp/b", "--scenario", "s"},
                                         {"--beside", "642"},
                                         {"--view", "--beside", "0"}}) {
        parsed = parseBoardOptions(bad);
        EXPECT_FALSE(parsed.options) << bad[1];
        EXPECT_EQ(parsed.exitCode, 64) << bad[1];
    }
    parsed = parseBoardOptions({"--view", "--beside", "642"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->besideWidth, 642);
}

} // namespace
} // namespace veltra::board_sim
