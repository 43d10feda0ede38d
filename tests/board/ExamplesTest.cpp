// The shipped examples, compiled as the editor compiles them, uploaded to the
// board and run against a made-up clock: the LEDs do what each example's
// comments say.

#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>

#include <functional>
#include <string>
#include <vector>

#include "board/BoardModel.h"
#include "board/BoardRequests.h"
#include "compiler/ProgramCheck.h"
#include "tests/board/BoardTestSupport.h"

namespace veltra::test {
namespace {

constexpr int kStepMs = 10;

std::vector<std::u32string> readExample(const char* name) {
    QFile file(QStringLiteral(VELTRA_EXAMPLES "/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    QStringDecoder decoder("windows-1251");
    const QString text = decoder.decode(file.readAll());
    EXPECT_FALSE(decoder.hasError()) << name;
    std::vector<std::u32string> lines;
    for (const QString& line : text.split(QStringLiteral("\r\n")))
        lines.push_back(line.toStdU32String());
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

// Colour of each LED, 0 for a dark one.
std::vector<int> colours(const BoardState& s) {
    std::vector<int> c;
    for (const LedState& led : s.leds)
        c.push_back(led.colour);
    return c;
}

std::vector<int> allLeds(int colour) {
    return std::vector<int>(kLedCount, colour);
}

// LEDs 1..13 given by number and colour; the rest dark.
std::vector<int> only(std::initializer_list<std::pair<int, int>> lit) {
    std::vector<int> c(kLedCount, 0);
    for (auto [led, colour] : lit)
        c[led - 1] = colour;
    return c;
}

class Example : public ::testing::Test {
  protected:
    void load(const char* name) {
        ProgramImage image;
        CheckReport report;
        ASSERT_EQ(buildProgram(readExample(name), image, report), 0) << name << ": " << report.message;
        const std::vector<std::uint16_t> words(image.words.begin(), image.words.begin() + image.count);
        const BoardReply reply = applyBoardRequest(board, board_request::Upload, wordBytes(words));
        ASSERT_EQ(reply.status, kBoardAccepted) << name << ": " << reply.note;
        board.advance(BoardTime(0));
    }

    // Advances the clock in small steps to `ms`, as the simulator's timer does.
    void runTo(int ms, const std::function<void()>& each = {}) {
        while (now < ms) {
            now = std::min(now + kStepMs, ms);
            board.advance(BoardTime(now));
            if (each) each();
        }
    }

    // Holds `button` for `holdMs` from `at`, then lets it go.
    void press(int button, int at, int holdMs) {
        runTo(at);
        board.setButton(button, true);
        runTo(at + holdMs);
        board.setButton(button, false);
    }

    void TearDown() override {
        EXPECT_TRUE(board.state().running) << "the program stopped";
        for (const BoardEvent& e : board.takeEvents())
            EXPECT_NE(e.kind, BoardEvent::Kind::Halted) << "halted at " << e.index;
    }

    BoardModel board;
    int now = 0;
};

TEST_F(Example, RunningLightGoesOutAndBackDimmerOnTheWayBack) {
    ASSERT_NO_FATAL_FAILURE(load("01-running-light.txt"));
    // One red LED a 0.2 s step: 1..8 bright, 7..2 dim, then again from 1.
    const int path[] = {1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1, 2};
    for (int k = 0; k < 16; ++k) {
        runTo(100 + 200 * k);
        const bool out = k % 14 < 8;
        EXPECT_EQ(colours(board.state()), only({{path[k], 1}})) << "step " << k;
        EXPECT_EQ(board.state().leds[path[k] - 1].brightness, out ? 15 : 5) << "step " << k;
    }
}

TEST_F(Example, TrafficLightCyclesAndTheButtonEndsGreenEarly) {
    ASSERT_NO_FATAL_FAILURE(load("02-traffic-light.txt"));
    constexpr int kRed = 1, kYellow = 4, kGreen = 2;
    struct Sample {
        int at;
        std::vector<int> lit;
        const char* what;
    };
    const Sample firstCycle[] = {
        {2500, only({{1, kRed}}), "red"},        {5500, only({{1, kRed}, {2, kYellow}}), "red and yellow"},
        {6500, only({{3, kGreen}}), "green"},    {15500, only({{3, kGreen}}), "green for ten seconds"},
        {16150, only({}), "green blinks: off"},  {16450, only({{3, kGreen}}), "green blinks: on"},
        {18500, only({{2, kYellow}}), "yellow"}, {21000, only({{1, kRed}}), "red again"},
    };
    for (const Sample& s : firstCycle) {
        runTo(s.at);
        EXPECT_EQ(colours(board.state()), s.lit) << s.what << " at " << s.at;
    }
    // Second cycle: green from 25.8 s. The button, held a second, ends it at
    // the next check: blinking, then yellow long before green's ten seconds.
    press(1, 27000, 1000);
    runTo(30000);
    EXPECT_EQ(colours(board.state()), only({{2, kYellow}})) << "green did not end early";
}

TEST_F(Example, ButtonsChangeColourAndBrightnessOfAllLeds) {
    ASSERT_NO_FATAL_FAILURE(load("03-button-colours.txt"));
    const auto expectAll = [&](int colour, int brightness, const char* what) {
        for (const LedState& led : board.state().leds) {
            EXPECT_EQ(led.colour, colour) << what;
            EXPECT_EQ(led.brightness, brightness) << what;
        }
    };
    runTo(50);
    expectAll(1, 15, "start: red, full brightness");
    press(1, 200, 200);
    runTo(now + 200);
    expectAll(2, 15, "button 1: next colour");
    press(2, now, 200);
    runTo(now + 200);
    expectAll(2, 1, "button 2: brighter, past 15 round to 1");
    press(3, now, 200);
    runTo(now + 200);
    expectAll(1, 1, "button 3: the colour saved at the start");
    for (int colour : {2, 3, 4, 5, 6, 7, 8, 1}) {
        press(1, now, 200);
        runTo(now + 200);
        expectAll(colour, 1, "colours round 1..8");
    }
}

TEST_F(Example, PortPatternsRunTheBitShowTheCheckerboardAndClickTheRelay) {
    ASSERT_NO_FATAL_FAILURE(load("04-port-patterns.txt"));
    for (int cycle = 0; cycle < 2; ++cycle) {
        const int start = cycle * 4300;
        // The running bit on port 1 lights LED 1 red, green, blue, then LED 2 red ...
        const std::vector<int> lamps[] = {only({{1, 1}}), only({{1, 2}}), only({{1, 3}}), only({{2, 1}})};
        for (int k = 0; k < 8; ++k) {
            runTo(start + 100 + 200 * k);
            EXPECT_EQ(board.state().ports[0], 1 << k) << "bit step " << k;
            if (k < 4) {
                EXPECT_EQ(colours(board.state()), lamps[k]) << "bit step " << k;
            }
        }
        runTo(start + 1850);
        EXPECT_EQ(board.state().ports[0], 0x55);
        EXPECT_EQ(board.state().ports[1], 0xAA);
        runTo(start + 2350);
        EXPECT_EQ(board.state().ports[0], 0xAA);
        EXPECT_EQ(board.state().ports[1], 0x55);
        runTo(start + 2750);
        EXPECT_EQ(board.state().ports[2], 0x81);
        // All ports on with the brightness of ports 1..3 rising: LEDs 1..8 follow them.
        for (auto [at, brightness] : {std::pair{3050, 1}, {3350, 5}, {3650, 15}}) {
            runTo(start + at);
            EXPECT_EQ(colours(board.state()), allLeds(8)) << at;
            EXPECT_EQ(board.state().leds[0].brightness, brightness) << at;
            EXPECT_EQ(board.state().leds[7].brightness, brightness) << at;
            EXPECT_EQ(board.state().leds[8].brightness, 15) << at;
        }
        runTo(start + 4050);
        EXPECT_TRUE(board.state().relays[0]);
        EXPECT_EQ(colours(board.state()), allLeds(0));
        runTo(start + 4350);
        EXPECT_FALSE(board.state().relays[0]);
    }
}

TEST_F(Example, LanguageTourFlashesVioletTwiceASecondAndButtonThreeShowsRed) {
    ASSERT_NO_FATAL_FAILURE(load("05-language-tour.txt"));
    runTo(10000);
    EXPECT_EQ(board.state().forwardedCount, 3u) << "three words for the external module";

    // The loop: all LEDs violet for 0.3 s, dark for 0.2 s, nothing else.
    int violet = 0, dark = 0, other = 0;
    runTo(12000, [&] {
        const auto c = colours(board.state());
        (c == allLeds(7) ? violet : c == allLeds(0) ? dark : other)++;
    });
    EXPECT_EQ(other, 0);
    EXPECT_NEAR(violet, 120, 10) << "violet 0.3 s of every 0.5 s";
    EXPECT_NEAR(dark, 80, 10);

    // Button 3, held over one check, makes them red for three seconds.
    press(3, 12000, 600);
    runTo(now + 500);
    EXPECT_EQ(colours(board.state()), allLeds(1));
    runTo(now + 1500);
    EXPECT_EQ(colours(board.state()), allLeds(1)) << "still red";
    bool flashing = false;
    runTo(now + 2500, [&] { flashing = flashing || colours(board.state()) == allLeds(7); });
    EXPECT_TRUE(flashing) << "violet flashes again after the red";
}

} // namespace
} // namespace veltra::test
