// LED, port, port-bit, brightness and port-from-variable words: the LEDs and
// the port bytes are two views of the same lamps and must agree after every word.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "BoardTestSupport.h"
#include "board/Lamps.h"

namespace veltra {
namespace {

struct Lit {
    int led;
    int colour;
    int brightness;
};

struct LampCase {
    const char* what;
    std::vector<std::uint16_t> words;
    std::vector<Lit> lit; // every LED not listed must be colour 0, brightness 0
    std::array<std::uint8_t, kPortCount> ports;
};

const std::vector<LampCase> kLampCases = {
    {"свд_1 = к", {0xA1F1}, {{1, 1, 15}}, {0x01, 0, 0, 0, 0, 0}},
    {"свд_1 = к,7", {0xA171}, {{1, 1, 7}}, {0x01, 0, 0, 0, 0, 0}},
    {"свд_12 = б,3: LED 12 is port 5 bits 1..3", {0xAC38}, {{12, 8, 3}}, {0, 0, 0, 0, 0x0E, 0}},
    {"свд = вкл lights all 39 lamp bits",
     {0xAEF8},
     {{1, 8, 15},
      {2, 8, 15},
      {3, 8, 15},
      {4, 8, 15},
      {5, 8, 15},
      {6, 8, 15},
      {7, 8, 15},
      {8, 8, 15},
      {9, 8, 15},
      {10, 8, 15},
      {11, 8, 15},
      {12, 8, 15},
      {13, 8, 15}},
     {0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0}},
    {"свд_5 = выкл after all on clears port 2 bits 4..6",
     {0xAEF8, 0xA500},
     {{1, 8, 15},
      {2, 8, 15},
      {3, 8, 15},
      {4, 8, 15},
      {6, 8, 15},
      {7, 8, 15},
      {8, 8, 15},
      {9, 8, 15},
      {10, 8, 15},
      {11, 8, 15},
      {12, 8, 15},
      {13, 8, 15}},
     {0xFF, 0x8F, 0xFF, 0xFF, 0x7F, 0}},
    {"LED 3 spans ports 1 and 2 (purple = red + blue)", {0xA3F6}, {{3, 6, 15}}, {0x40, 0x01, 0, 0, 0, 0}},
    {"свд_3 = А,7", {0x9103, 0x3173}, {{3, 3, 7}}, {0, 0x01, 0, 0, 0, 0}},
    {"свд_5 = А,В", {0x9102, 0x9209, 0x3305}, {{5, 2, 9}}, {0, 0x20, 0, 0, 0, 0}},
    {"свд = А,5 paints every red bit",
     {0x9101, 0x3250},
     {{1, 1, 5},
      {2, 1, 5},
      {3, 1, 5},
      {4, 1, 5},
      {5, 1, 5},
      {6, 1, 5},
      {7, 1, 5},
      {8, 1, 5},
      {9, 1, 5},
      {10, 1, 5},
      {11, 1, 5},
      {12, 1, 5},
      {13, 1, 5}},
     {0x49, 0x92, 0x24, 0x49, 0x12, 0}},
    {"свд_1 = А,В with А and В past their ranges shows the top",
     {0x91C8, 0x9263, 0x3301},
     {{1, 8, 15}},
     {0x07, 0, 0, 0, 0, 0}},
    {"порт_1 = 10000000", {0x2101}, {{1, 1, 15}}, {0x01, 0, 0, 0, 0, 0}},
    {"порт_3 = 00000001 is the blue of LED 8", {0x2380}, {{8, 3, 15}}, {0, 0, 0x80, 0, 0, 0}},
    {"порт_1 = вкл", {0x21FF}, {{1, 8, 15}, {2, 8, 15}, {3, 4, 15}}, {0xFF, 0, 0, 0, 0, 0}},
    {"порт = вкл then выкл", {0x2EFF, 0x2E00}, {}, {0, 0, 0, 0, 0, 0}},
    {"порт_1 = 10100000 is red + blue: violet", {0x2105}, {{1, 7, 15}}, {0x05, 0, 0, 0, 0, 0}},
    {"порт_2.3 = вкл then выкл", {0x1204, 0x12FB}, {}, {0, 0, 0, 0, 0, 0}},
    {"порт_2.3 = вкл is the green of LED 4", {0x1204}, {{4, 2, 15}}, {0, 0x04, 0, 0, 0, 0}},
    {"port 6 bits carry no lamp", {0x1601, 0x1680, 0x16FE}, {}, {0, 0, 0, 0, 0, 0x80}},
    {"port 5 bit 7 carries no lamp and keeps its value", {0x2580, 0xAE00}, {}, {0, 0, 0, 0, 0x80, 0}},
    {"порт_1 = А", {0x9105, 0x4D01}, {{1, 7, 15}}, {0x05, 0, 0, 0, 0, 0}},
    {"порт_2 = В is the red of LED 6", {0x9280, 0x4E02}, {{6, 1, 15}}, {0, 0x80, 0, 0, 0, 0}},
    {"a port write keeps the colour of LEDs it does not touch",
     {0xA2F6, 0x1201},
     {{2, 6, 15}, {3, 3, 15}},
     {0x28, 0x01, 0, 0, 0, 0}},
    {"ярк_1 then a port write", {0x4507, 0x2101}, {{1, 1, 7}}, {0x01, 0, 0, 0, 0, 0}},
    {"ярк_1 dims the LEDs already lit", {0xA1F1, 0x4503}, {{1, 1, 3}}, {0x01, 0, 0, 0, 0, 0}},
    {"ярк_2 governs LEDs 4..6, not LED 3 whose red bit is on port 1",
     {0x4602, 0x2EFF},
     {{1, 8, 15},
      {2, 8, 15},
      {3, 8, 15},
      {4, 8, 2},
      {5, 8, 2},
      {6, 8, 2},
      {7, 8, 15},
      {8, 8, 15},
      {9, 8, 15},
      {10, 8, 15},
      {11, 8, 15},
      {12, 8, 15},
      {13, 8, 15}},
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
};

TEST(LampWords, LedsAndPortsAgree) {
    for (const LampCase& c : kLampCases) {
        SCOPED_TRACE(c.what);
        BoardModel board;
        ASSERT_TRUE(board.loadProgram(c.words));
        board.advance(BoardTime(0));
        const BoardState& s = board.state();
        std::array<LedState, kLedCount> expected{};
        for (const Lit& l : c.lit)
            expected[l.led - 1] = {static_cast<std::uint8_t>(l.colour),
                                   static_cast<std::uint8_t>(l.brightness)};
        for (int i = 0; i < kLedCount; ++i) {
            EXPECT_EQ(s.leds[i].colour, expected[i].colour) << "LED " << i + 1;
            EXPECT_EQ(s.leds[i].brightness, expected[i].brightness) << "LED " << i + 1;
        }
        EXPECT_EQ(s.ports, c.ports);
    }
}

TEST(LampWords, PortBrightnessWords) {
    const BoardModel one = test::runWords({0x4A04, 0x4905});
    EXPECT_EQ(one.state().portBrightness, (std::array<std::uint8_t, 5>{4, 4, 4, 4, 5}));
}

TEST(LampWords, EveryLampBitBelongsToExactlyOneLedComponent) {
    std::array<int, 40> owners{};
    for (int led = 1; led <= kLedCount; ++led) {
        for (int c = 0; c < 3; ++c) {
            const PortBit pb = ledComponentBit(led, c);
            ASSERT_GE(pb.port, 1);
            ASSERT_LE(pb.port, kLampPortCount);
            ++owners[(pb.port - 1) * 8 + pb.bit];
        }
    }
    for (int i = 0; i < 39; ++i)
        EXPECT_EQ(owners[i], 1) << "stream bit " << i;
    EXPECT_EQ(owners[39], 0);
}

TEST(LampWords, ColourCodesSurviveTheTripThroughTheirBits) {
    for (std::uint8_t colour = 0; colour <= kMaxColour; ++colour) {
        if (colour == 6) continue; // purple shares violet's bits
        EXPECT_EQ(colourOfBits(colourBits(colour)), colour);
    }
    EXPECT_EQ(colourOfBits(colourBits(6)), 7);
}

TEST(LampWords, RelayWords) {
    struct Case {
        std::vector<std::uint16_t> words;
        bool r1, r2;
    };
    const Case cases[] = {
        {{0x1A01}, true, false},
        {{0x1A02}, false, true},
        {{0x1A01, 0x1A02, 0x1AFE}, false, true},
        {{0x1A01, 0x1A02, 0x1AFD}, true, false},
    };
    for (const Case& c : cases) {
        BoardModel board;
        ASSERT_TRUE(board.loadProgram(c.words));
        board.advance(BoardTime(0));
        EXPECT_EQ(board.state().relays[0], c.r1);
        EXPECT_EQ(board.state().relays[1], c.r2);
    }
}

} // namespace
} // namespace veltra
