// Arithmetic on А and В, and saving objects into the two stores and back.

#include <gtest/gtest.h>

#include <vector>

#include "BoardTestSupport.h"

namespace veltra {
namespace {

TEST(VariableWords, ArithmeticWrapsAroundInEightBits) {
    struct Case {
        const char* what;
        std::vector<std::uint16_t> words;
        int a, b;
    };
    const Case cases[] = {
        {"А=255, А=А+1", {0x91FF, 0x9301}, 0, 0},
        {"А=А-2 from 0", {0x9502}, 254, 0},
        {"В=254, В=В+3", {0x92FE, 0x9403}, 0, 1},
        {"В=В-1 from 0", {0x9601}, 0, 255},
        {"А=5, В=3, А=А-В", {0x9105, 0x9203, 0x9A00}, 2, 3},
        {"А=3, В=5, А=А-В", {0x9103, 0x9205, 0x9A00}, 254, 5},
        {"А=200, В=100, А=А+В", {0x91C8, 0x9264, 0x9900}, 44, 100},
        {"А=7, В=250, В=В+А", {0x9107, 0x92FA, 0x9B00}, 7, 1},
        {"А=7, В=5, В=В-А", {0x9107, 0x9205, 0x9C00}, 7, 254},
        {"В=9, А=В", {0x9209, 0x9700}, 9, 9},
        {"А=9, В=А", {0x9109, 0x9800}, 9, 9},
        {"А=0x81, А=А<<1 drops the top bit", {0x9181, 0x9D00}, 0x02, 0},
        {"А=0x81, А=А>>1 drops the low bit", {0x9181, 0x9E00}, 0x40, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardModel board;
        ASSERT_TRUE(board.loadProgram(c.words));
        board.advance(BoardTime(0));
        EXPECT_EQ(board.state().a, c.a);
        EXPECT_EQ(board.state().b, c.b);
    }
}

TEST(StoreWords, SaveChangeRestoreRoundTrips) {
    struct Case {
        const char* what;
        std::vector<std::uint16_t> words;
        std::vector<std::uint16_t> reference; // words that build the state the round trip must end in
    };
    const Case cases[] = {
        {"свд_3 via store 1", {0xA3F1, 0xC143, 0xA300, 0xC843}, {0xA3F1}},
        {"all LEDs via store 2", {0xA1F2, 0xA7F5, 0xC240, 0xAE00, 0xC940}, {0xA1F2, 0xA7F5}},
        {"one LED from a saved all-LEDs", {0xA1F1, 0xA2F2, 0xC140, 0xAE00, 0xC842}, {0xA2F2}},
        {"all LEDs from one saved LED", {0xA4F3, 0xC144, 0xC840}, {0xAEF3}},
        {"port 1 with its brightness",
         {0x4505, 0x2107, 0xC101, 0x4A0F, 0x2100, 0xC801},
         {0x4A0F, 0x4505, 0x2107}},
        {"all ports", {0x2EFF, 0x4603, 0xC209, 0x2E00, 0x4A0F, 0xC909}, {0x4603, 0x2EFF}},
        {"А", {0x912A, 0xC10A, 0x9100, 0xC80A}, {0x912A}},
        {"В into А: a store holds a byte", {0x9233, 0xC10B, 0xC80A}, {0x9233, 0x9133}},
        {"А into port 2", {0x9181, 0xC10A, 0xC802}, {0x9181, 0x2281}},
        {"port 3 into В", {0x2355, 0xC103, 0xC80B}, {0x2355, 0x9255}},
        {"the two stores are separate", {0x9101, 0xC10A, 0x9102, 0xC20A, 0xC80A}, {0x9101}},
        {"restoring from an empty store changes nothing", {0xA1F1, 0xC841}, {0xA1F1}},
        {"an LED cannot be restored from a variable", {0xC10A, 0xA1F1, 0xC841}, {0xA1F1}},
        {"a variable cannot be restored from all LEDs", {0x9105, 0xC240, 0xC90A}, {0x9105}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardModel board;
        ASSERT_TRUE(board.loadProgram(c.words));
        board.advance(BoardTime(0));
        BoardModel reference;
        ASSERT_TRUE(reference.loadProgram(c.reference));
        reference.advance(BoardTime(0));
        const BoardState& s = board.state();
        const BoardState& r = reference.state();
        EXPECT_EQ(s.leds, r.leds);
        EXPECT_EQ(s.ports, r.ports);
        EXPECT_EQ(s.portBrightness, r.portBrightness);
        EXPECT_EQ(s.a, r.a);
        EXPECT_EQ(s.b, r.b);
    }
}

TEST(StoreWords, StoreKeepsWhatWasSaved) {
    const BoardModel board = test::runWords({0xA3F1, 0xC143, 0x4505, 0x2107, 0xC201});
    const StoreSlot& one = board.state().stores[0];
    EXPECT_EQ(one.kind, StoreKind::Led);
    EXPECT_EQ(one.index, 3);
    EXPECT_EQ(one.leds[0], (LedState{1, 15}));
    const StoreSlot& two = board.state().stores[1];
    EXPECT_EQ(two.kind, StoreKind::Port);
    EXPECT_EQ(two.index, 1);
    EXPECT_EQ(two.ports[0], 0x07);
    EXPECT_EQ(two.portBrightness[0], 5);
}

TEST(StoreWords, ConsoleRestoreWithNothingToRestoreIsRefused) {
    BoardModel board;
    EXPECT_FALSE(board.executeNow(0xC841));
    EXPECT_TRUE(board.executeNow(0xC141));
    EXPECT_TRUE(board.executeNow(0xC841));
}

} // namespace
} // namespace veltra
