// The file behind the non-volatile copy: round trip, and what a missing or
// damaged file leads to.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "board/BoardModel.h"
#include "board/NonVolatileFile.h"

namespace veltra {
namespace {

class NonVolatileFileTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("veltra-nv-test-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = dir_ / "board.nv";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void writeText(const std::string& text) {
        std::ofstream out(path_, std::ios::binary);
        out << text;
    }
    std::string readText() {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::filesystem::path dir_;
    std::filesystem::path path_;
};

TEST_F(NonVolatileFileTest, RoundTrip) {
    const std::vector<std::uint16_t> words{0xAEF8, 0x4201, 0xE000, 0x0000, 0xFFFF};
    ASSERT_EQ(writeNonVolatileFile(path_, words), "");
    EXPECT_EQ(readText(), "veltra-board program 1\nwords 5\nAEF8\n4201\nE000\n0000\nFFFF\nend\n");
    const NonVolatileRead r = readNonVolatileFile(path_);
    EXPECT_EQ(r.status, NonVolatileStatus::Loaded);
    EXPECT_EQ(r.words, words);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "board.nv.tmp"));
}

TEST_F(NonVolatileFileTest, WindowsLineEndsAndLowerCaseHexAreRead) {
    writeText("veltra-board program 1\r\nwords 2\r\naef8\r\n4201\r\nend\r\n");
    const NonVolatileRead r = readNonVolatileFile(path_);
    EXPECT_EQ(r.status, NonVolatileStatus::Loaded);
    EXPECT_EQ(r.words, (std::vector<std::uint16_t>{0xAEF8, 0x4201}));
}

TEST_F(NonVolatileFileTest, MissingFileMeansNoProgram) {
    BoardModel board(path_);
    const NonVolatileRead r = board.powerOn();
    EXPECT_EQ(r.status, NonVolatileStatus::Missing);
    EXPECT_TRUE(r.message.empty());
    EXPECT_TRUE(board.program().empty());
    EXPECT_FALSE(board.state().running);
}

TEST_F(NonVolatileFileTest, DamagedFilesAreRefusedAndLeftAlone) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"foreign header", "hello\nwords 1\n9101\nend\n"},
        {"no count", "veltra-board program 1\n9101\nend\n"},
        {"count not a number", "veltra-board program 1\nwords x\n9101\nend\n"},
        {"count too large", "veltra-board program 1\nwords 1001\n"},
        {"fewer words than counted", "veltra-board program 1\nwords 3\n9101\n9102\n"},
        {"word not hex", "veltra-board program 1\nwords 1\n91G1\nend\n"},
        {"word too long", "veltra-board program 1\nwords 1\n91011\nend\n"},
        {"no end mark", "veltra-board program 1\nwords 1\n9101\n"},
        {"more words than counted", "veltra-board program 1\nwords 1\n9101\n9102\nend\n"},
        {"binary garbage", std::string("\x00\xff\x13veltra", 9)},
        {"a word the board cannot run", "veltra-board program 1\nwords 2\n9101\n0000\nend\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeText(c.text);
        BoardModel board(path_);
        const NonVolatileRead r = board.powerOn();
        EXPECT_EQ(r.status, NonVolatileStatus::Corrupt);
        EXPECT_NE(r.message.find(path_.string()), std::string::npos) << r.message;
        EXPECT_TRUE(board.program().empty());
        EXPECT_FALSE(board.state().running);
        EXPECT_EQ(readText(), c.text) << "a damaged copy must stay for the user to look at";
    }
}

TEST_F(NonVolatileFileTest, OversizedFileIsNotRead) {
    writeText("veltra-board program 1\nwords 1\n9101\nend\n" + std::string(100 * 1024, '\n'));
    EXPECT_EQ(readNonVolatileFile(path_).status, NonVolatileStatus::Corrupt);
}

TEST_F(NonVolatileFileTest, AFolderInPlaceOfTheFileIsReported) {
    std::filesystem::create_directories(path_);
    BoardModel board(path_);
    EXPECT_EQ(board.powerOn().status, NonVolatileStatus::Corrupt);
    std::string why;
    EXPECT_FALSE(board.writeNonVolatile(&why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(std::filesystem::is_directory(path_));
}

TEST_F(NonVolatileFileTest, FailedWriteKeepsThePreviousCopy) {
    ASSERT_EQ(writeNonVolatileFile(path_, std::vector<std::uint16_t>{0x9101}), "");
    const std::string before = readText();
    // A folder where the temporary file must go makes the write fail half-way.
    std::filesystem::create_directories(dir_ / "board.nv.tmp");
    EXPECT_NE(writeNonVolatileFile(path_, std::vector<std::uint16_t>{0x9102}), "");
    EXPECT_EQ(readText(), before);
}

} // namespace
} // namespace veltra
