// Which words and programs the board accepts: it refuses what it cannot run
// instead of guessing, and keeps the program it had.

#include <gtest/gtest.h>

#include <vector>

#include "board/BoardModel.h"
#include "board/CommandWords.h"

namespace veltra {
namespace {

TEST(WordCheck, WordsTheLanguageProducesAreAccepted) {
    const std::uint16_t words[] = {0xA1F1, 0xA171, 0xAC38, 0xA100, 0xAEF8, 0xAE74, 0xAE00, 0x3173,
                                   0x3303, 0x3400, 0x3270, 0xC940, 0x2380, 0x2EFF, 0x2E00, 0x1601,
                                   0x12FB, 0x1204, 0x1A01, 0x1AFE, 0x1A02, 0x1AFD, 0x4A00, 0x4905,
                                   0x4D01, 0x4E05, 0xC143, 0xC209, 0xC80A, 0xC90B, 0xC24D, 0x9301,
                                   0x91FF, 0x9D00, 0x9E00, 0x9700, 0x9C00, 0x9603};
    for (std::uint16_t w : words)
        EXPECT_EQ(classifyWord(w), isa::Step::Object) << std::hex << w;
    for (std::uint16_t w : {0x4201, 0x4103, 0x4305, 0x4214, 0x42FF})
        EXPECT_EQ(classifyWord(static_cast<std::uint16_t>(w)), isa::Step::Pause) << std::hex << w;
    for (std::uint16_t w : {0x6302, 0x5301, 0x6304, 0x5400, 0x5500, 0x5B01, 0x5CFF, 0x8464, 0x7400, 0x8501})
        EXPECT_EQ(classifyWord(static_cast<std::uint16_t>(w)), isa::Step::Condition) << std::hex << w;
    EXPECT_EQ(classifyWord(0xB100), isa::Step::Return);
    EXPECT_EQ(classifyWord(0xD100), isa::Step::Prefix);
    EXPECT_EQ(classifyWord(0xE000), isa::Step::Jump);
    EXPECT_EQ(classifyWord(0xE3E7), isa::Step::Jump);
}

TEST(WordCheck, WordsNoOneCanRunAreRefused) {
    const struct {
        std::uint16_t word;
        const char* why;
    } cases[] = {
        {0x0000, "no operation"},
        {0xA0F1, "LED 0"},
        {0xAFF1, "LED 15"},
        {0xA1F9, "colour 9"},
        {0x1103, "two bits at once"},
        {0x1100, "no bit"},
        {0x1700, "port 7"},
        {0x1A04, "relay 3"},
        {0x1A03, "two relays"},
        {0x2600, "whole port 6"},
        {0x4510, "brightness 16"},
        {0x4B01, "brightness of port 6"},
        {0x4D06, "port 6 from А"},
        {0x4D00, "port 0 from В"},
        {0x6303, "two buttons"},
        {0x5308, "button 4"},
        {0x5401, "А==0 with an operand"},
        {0xB101, "return with an operand"},
        {0xD101, "prefix with an operand"},
        {0xE800, "jump beyond 11 bits"},
        {0xC10C, "store object 0x0C"},
        {0xC100, "store object 0"},
        {0xC14E, "LED 14 into a store"},
        {0x9701, "А=В with an operand"},
        {0x9F00, "no such arithmetic"},
        {0x3100, "LED 0 from А"},
        {0x3201, "all LEDs from А with a number"},
        {0x3401, "all LEDs from А,В with a number"},
        {0x3310, "LED 16 from А,В"},
        {0x0030, "memory service word"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(classifyWord(c.word)) << c.why;
}

TEST(WordCheck, ProgramsTheBoardCannotRunAreRefusedAndTheOldOneStays) {
    const struct {
        std::vector<std::uint16_t> words;
        int firstBad;
    } cases[] = {
        {{0x9101, 0x0000}, 1},          {{0xD100}, 0},
        {{0x9101, 0xE003}, 1},          {{0xD100, 0xAEF8, 0xE001}, 2}, // into the forwarded word
        {{0xD100, 0xD100, 0x0000}, 2},                                 // a forwarded 0xD100 is not a prefix
        {{0xE002, 0x9101}, -1},                                        // a jump to the end is fine
        {{0xD100, 0x0000, 0x9101}, -1}, // forwarded words are the module's business
    };
    for (const auto& c : cases)
        EXPECT_EQ(firstUnrunnableWord(c.words), c.firstBad);

    BoardModel board;
    const std::vector<std::uint16_t> good{0x9105};
    ASSERT_TRUE(board.loadProgram(good));
    EXPECT_FALSE(board.loadProgram(std::vector<std::uint16_t>{0x9101, 0x0000}));
    EXPECT_FALSE(board.loadProgram(std::vector<std::uint16_t>(1001, 0x9301)));
    EXPECT_TRUE(std::ranges::equal(board.program(), good));
    EXPECT_TRUE(board.loadProgram(std::vector<std::uint16_t>(1000, 0x9301)));
}

TEST(WordCheck, ConsoleRunsObjectWordsOnly) {
    BoardModel board;
    for (std::uint16_t w : {0x4201, 0x6301, 0xB100, 0xD100, 0xE000, 0x0000}) {
        EXPECT_FALSE(board.executeNow(static_cast<std::uint16_t>(w))) << std::hex << w;
    }
    EXPECT_EQ(board.revision(), 0u);
    EXPECT_TRUE(board.executeNow(0xAEF8));
    EXPECT_EQ(board.state().leds[5], (LedState{8, 15}));
}

} // namespace
} // namespace veltra
