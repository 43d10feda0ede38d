// Running whole programs: loops, pauses against the injected clock,
// conditions, jumps and returns, the module prefix, and where execution stops.

#include <gtest/gtest.h>

#include <vector>

#include "BoardTestSupport.h"

namespace veltra {
namespace {

using ms = BoardTime;

bool led1Red(const BoardModel& b) {
    return b.state().leds[0] == LedState{1, 15};
}

TEST(ProgramRun, BlinkLoopFollowsTheClock) {
    // метка_1: свд_1=к / пауза+ / свд_1=выкл / пауза++ / переход метка_1
    BoardModel board;
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0xA1F1, 0x4101, 0xA100, 0x4102, 0xE000}));
    const struct {
        int at;
        bool on;
    } timeline[] = {{0, true},    {99, true},  {100, false},    {299, false},    {300, true},   {399, true},
                    {400, false}, {600, true}, {10'000, false}, {10'199, false}, {10'200, true}};
    for (const auto& t : timeline) {
        board.advance(ms(t.at));
        EXPECT_EQ(led1Red(board), t.on) << "at " << t.at << " ms";
        EXPECT_TRUE(board.state().running);
        EXPECT_TRUE(board.state().paused);
    }
}

TEST(ProgramRun, EachPauseKindLastsItsTime) {
    // пауза+++ / А=1 / пауза=5 / А=2 / пауза**** / А=3
    BoardModel board;
    ASSERT_TRUE(
        board.loadProgram(std::vector<std::uint16_t>{0x4103, 0x9101, 0x4205, 0x9102, 0x4304, 0x9103}));
    const struct {
        int at, a;
    } timeline[] = {{0, 0}, {299, 0}, {300, 1}, {5299, 1}, {5300, 2}, {5379, 2}, {5380, 3}};
    for (const auto& t : timeline) {
        board.advance(ms(t.at));
        EXPECT_EQ(board.state().a, t.a) << "at " << t.at << " ms";
    }
    EXPECT_FALSE(board.state().running);
}

TEST(ProgramRun, LateTicksDoNotStretchPausesInARow) {
    BoardModel board;
    ASSERT_TRUE(
        board.loadProgram(std::vector<std::uint16_t>{0x4101, 0x9101, 0x4101, 0x9102, 0x4101, 0x9103}));
    board.advance(ms(0));
    board.advance(ms(250)); // two pauses have ended by now
    EXPECT_EQ(board.state().a, 2);
    board.advance(ms(299));
    EXPECT_EQ(board.state().a, 2);
    board.advance(ms(300));
    EXPECT_EQ(board.state().a, 3);
}

TEST(ProgramRun, AStalledOwnerDoesNotReplayTheBacklog) {
    BoardModel board;
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0x9301, 0x4101, 0xE000}));
    board.advance(ms(0));
    EXPECT_EQ(board.state().a, 1);
    board.advance(ms(60'000));
    EXPECT_EQ(board.state().a, 2);
    board.advance(ms(60'099));
    EXPECT_EQ(board.state().a, 2);
    board.advance(ms(60'100));
    EXPECT_EQ(board.state().a, 3);
}

TEST(ProgramRun, ALoopWithoutPauseGivesTheClockBack) {
    // метка_1: А=А+1 / переход метка_1
    BoardModel board;
    board.setWordsPerStep(10);
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0x9301, 0xE000}));
    board.advance(ms(0));
    EXPECT_EQ(board.state().a, 5);
    EXPECT_TRUE(board.state().running);
    board.advance(ms(0));
    EXPECT_EQ(board.state().a, 10);

    BoardModel defaults;
    ASSERT_TRUE(defaults.loadProgram(std::vector<std::uint16_t>{0x9301, 0xE000}));
    defaults.advance(ms(0));
    EXPECT_EQ(defaults.state().a, (BoardModel::kDefaultWordsPerStep / 2) % 256);
}

TEST(ProgramRun, ButtonConditionsFollowTheButtons) {
    // метка_1: если кн_2==вкл тогда свд_1=к / если кн_2==выкл тогда свд_1=выкл / пауза* / переход метка_1
    BoardModel board;
    ASSERT_TRUE(
        board.loadProgram(std::vector<std::uint16_t>{0x6302, 0xA1F1, 0x5302, 0xA100, 0x4301, 0xE000}));
    board.advance(ms(0));
    EXPECT_FALSE(led1Red(board));
    board.setButton(2, true);
    board.advance(ms(20));
    EXPECT_TRUE(led1Red(board));
    board.setButton(1, false);
    board.setButton(3, true);
    board.advance(ms(40));
    EXPECT_TRUE(led1Red(board));
    board.setButton(2, false);
    board.advance(ms(60));
    EXPECT_FALSE(led1Red(board));
}

TEST(ProgramRun, ConditionsOnVariablesAndButtons) {
    struct Case {
        std::uint16_t condition;
        int a, b;
        std::array<bool, 3> buttons;
        bool holds;
    };
    const Case cases[] = {
        {0x5400, 0, 9, {}, true},
        {0x5400, 1, 0, {}, false},
        {0x5B07, 7, 0, {}, true},
        {0x5B07, 8, 7, {}, false},
        {0x8464, 101, 0, {}, true},
        {0x8464, 100, 0, {}, false},
        {0x7405, 4, 0, {}, true},
        {0x7405, 5, 0, {}, false},
        {0x5500, 9, 0, {}, true},
        {0x5500, 0, 1, {}, false},
        {0x5CFF, 0, 255, {}, true},
        {0x5CFF, 255, 254, {}, false},
        {0x8500, 0, 1, {}, true},
        {0x8500, 1, 0, {}, false},
        {0x7501, 0, 0, {}, true},
        {0x7501, 0, 1, {}, false},
        {0x6304, 0, 0, {false, false, true}, true},
        {0x6304, 0, 0, {true, true, false}, false},
        {0x5301, 0, 0, {false, true, true}, true},
        {0x5301, 0, 0, {true, false, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << "condition " << c.condition << std::dec << " А=" << c.a << " В=" << c.b);
        BoardModel board;
        for (int i = 0; i < 3; ++i)
            board.setButton(i + 1, c.buttons[i]);
        const std::vector<std::uint16_t> program{static_cast<std::uint16_t>(0x9100 + c.a),
                                                 static_cast<std::uint16_t>(0x9200 + c.b), c.condition,
                                                 0x1A01, 0x1A02};
        ASSERT_TRUE(board.loadProgram(program));
        board.advance(ms(0));
        EXPECT_EQ(board.state().relays[0], c.holds);
        EXPECT_TRUE(board.state().relays[1]) << "only the next word may be skipped";
    }
}

TEST(ProgramRun, FalseConditionSkipsAModulePairWhole) {
    const BoardModel board = test::runWords({0x9101, 0x5400, 0xD100, 0xAEF8, 0x1A01});
    EXPECT_EQ(board.state().forwardedCount, 0u);
    EXPECT_TRUE(board.state().relays[0]);
    EXPECT_EQ(board.state().leds[0].colour, 0) << "the forwarded word must never run on the board";
}

TEST(ProgramRun, ReturnGoesBackAfterTheLastJumpExecuted) {
    // 0 переход to 3 / 1 реле_1=вкл / 2 переход to the end / 3 свд_1=к / 4 возврат / 5 реле_2=вкл
    const BoardModel board = test::runWords({0xE003, 0x1A01, 0xE006, 0xA1F1, 0xB100, 0x1A02});
    EXPECT_TRUE(led1Red(board));
    EXPECT_TRUE(board.state().relays[0]);
    EXPECT_FALSE(board.state().relays[1]);
    EXPECT_EQ(board.state().pc, 6);
}

TEST(ProgramRun, ReturnTwiceGoesBackToTheSamePlace) {
    // 0 переход to 2 / 1 А=А+1 / 2 если А==2 тогда / 3 переход to the end / 4 В=В+1 / 5 возврат
    const BoardModel board = test::runWords({0xE002, 0x9301, 0x5B02, 0xE006, 0x9401, 0xB100});
    EXPECT_EQ(board.state().a, 2);
    EXPECT_EQ(board.state().b, 2);
}

TEST(ProgramRun, ReturnWithoutAJumpGoesOn) {
    const BoardModel board = test::runWords({0xB100, 0x9101});
    EXPECT_EQ(board.state().a, 1);
}

TEST(ProgramRun, RunningOffTheEndStopsAndKeepsTheOutputs) {
    BoardModel board = test::runWords({0xAEF8, 0x1A01});
    EXPECT_EQ(board.state().pc, 2);
    EXPECT_FALSE(board.state().paused);
    EXPECT_EQ(board.state().leds[12], (LedState{8, 15}));
    EXPECT_TRUE(board.state().relays[0]);
    const auto revision = board.revision();
    board.advance(ms(5000));
    EXPECT_EQ(board.revision(), revision);
}

TEST(ProgramRun, ModulePrefixForwardsTheNextWord) {
    BoardModel board = test::runWords({0xD100, 0xAEF8, 0x9101});
    EXPECT_EQ(board.state().forwardedCount, 1u);
    EXPECT_EQ(board.state().lastForwarded, 0xAEF8);
    EXPECT_EQ(board.state().leds[0].colour, 0);
    EXPECT_EQ(board.state().a, 1);
    const auto events = board.takeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, BoardEvent::Kind::Forwarded);
    EXPECT_EQ(events[0].word, 0xAEF8);
    EXPECT_EQ(events[0].index, 1);
    EXPECT_TRUE(board.takeEvents().empty());
}

TEST(ProgramRun, ResetRestartsTheStoredProgramFromScratch) {
    BoardModel board;
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0x9301, 0xA1F1, 0x4201, 0xE000}));
    board.advance(ms(0));
    board.advance(ms(1000));
    ASSERT_EQ(board.state().a, 2);
    board.setButton(1, true);
    board.executeNow(0x1A01);
    board.executeNow(0xC10A);
    board.reset();
    EXPECT_EQ(board.state().a, 0);
    EXPECT_FALSE(board.state().relays[0]);
    EXPECT_EQ(board.state().leds[0], (LedState{}));
    EXPECT_EQ(board.state().stores[0].kind, StoreKind::Empty);
    EXPECT_TRUE(board.state().buttons[0]) << "a held button stays held";
    EXPECT_EQ(board.state().pc, 0);
    EXPECT_TRUE(board.state().running);
    board.advance(ms(1500));
    EXPECT_EQ(board.state().a, 1);
    EXPECT_TRUE(led1Red(board));
}

TEST(ProgramRun, RevisionMovesOnlyWhenTheStateChanges) {
    BoardModel board;
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0xA1F1, 0x4201, 0xE000}));
    board.advance(ms(0));
    const auto afterStart = board.revision();
    board.advance(ms(500));
    board.setButton(1, false);
    EXPECT_EQ(board.revision(), afterStart) << "waiting out a pause and a no-op must not count as a change";
    board.setButton(1, true);
    EXPECT_EQ(board.revision(), afterStart + 1);
    board.advance(ms(1000)); // the loop comes round to the same pause: the visible state is the same
    EXPECT_EQ(board.revision(), afterStart + 1);
    board.executeNow(0xA2F2);
    EXPECT_EQ(board.revision(), afterStart + 2);
}

} // namespace
} // namespace veltra

namespace veltra {
namespace {

using ms = BoardTime;

// А=1 / пауза+ / А=2 / если А==2 тогда А=3 / переход метка (to 0)
const std::vector<std::uint16_t> kLimitedProgram{0x9101, 0x4101, 0x9102, 0x5B02, 0x9103, 0xE000};

TEST(RunLimits, EachCallStopsWhereItsLimitSaysAndTellsTheTimeItReached) {
    struct Call {
        int now;
        int words;
        std::vector<std::uint8_t> stops;
        RunStop stop;
        int at, executed, pc;
        bool paused;
    };
    const std::vector<std::uint8_t> atThird{0, 0, 1};
    const std::vector<std::uint8_t> atFirst{1};
    const Call calls[] = {
        // One word at a time: А=1, then the pause starts at 0.
        {0, 1, {}, RunStop::WordLimit, 0, 1, 1, false},
        {0, 1, {}, RunStop::CaughtUp, 0, 1, 2, true},
        // Waited out with no word after it: the program stands at the end of the pause.
        {150, 0, {}, RunStop::WordLimit, 100, 0, 2, false},
        // A breakpoint right at the next word: nothing runs.
        {200, 1000, atThird, RunStop::Breakpoint, 200, 0, 2, false},
        // Past it, round the loop to the breakpoint at word 0, still at 200.
        {200, 1000, atFirst, RunStop::Breakpoint, 200, 4, 0, false},
        // Round again to the pause, which ends after `now`.
        {250, 1000, {}, RunStop::CaughtUp, 250, 2, 2, true},
        // The pause ended at 350; the breakpoint comes at that moment, not at `now`.
        {400, 1000, atFirst, RunStop::Breakpoint, 350, 4, 0, false},
    };
    BoardModel board;
    ASSERT_TRUE(board.loadProgram(kLimitedProgram));
    for (std::size_t i = 0; i < std::size(calls); ++i) {
        const Call& c = calls[i];
        const RunResult r = board.run(ms(c.now), {c.words, c.stops});
        EXPECT_EQ(r.stop, c.stop) << "call " << i;
        EXPECT_EQ(r.at, ms(c.at)) << "call " << i;
        EXPECT_EQ(r.words, c.executed) << "call " << i;
        EXPECT_EQ(board.state().pc, c.pc) << "call " << i;
        EXPECT_EQ(board.state().paused, c.paused) << "call " << i;
    }
    EXPECT_EQ(board.state().a, 3);
    EXPECT_EQ(board.returnPoint(), 6) << "after the jump";
}

TEST(RunLimits, AProgramThatEndsSaysSoAndTheMomentItEnded) {
    BoardModel board;
    ASSERT_TRUE(board.loadProgram(std::vector<std::uint16_t>{0x9101, 0x4101, 0x9102}));
    EXPECT_EQ(board.run(ms(0), {}).stop, RunStop::CaughtUp);
    const RunResult end = board.run(ms(500), {});
    EXPECT_EQ(end.stop, RunStop::NotRunning);
    EXPECT_EQ(end.at, ms(100));
    EXPECT_EQ(end.words, 1);
    EXPECT_EQ(board.run(ms(600), {}).stop, RunStop::NotRunning);
}

TEST(RunLimits, StepsOfOneWordEndWhereOneRunEnds) {
    // The same program run whole and word by word, each word at the moment
    // its pause ends: the same state at the same time.
    BoardModel whole, stepped;
    ASSERT_TRUE(whole.loadProgram(kLimitedProgram));
    ASSERT_TRUE(stepped.loadProgram(kLimitedProgram));
    whole.advance(ms(1234));
    ms clock{0};
    while (clock < ms(1234)) {
        if (stepped.state().paused) clock = std::min(stepped.pauseEnds(), ms(1234));
        stepped.run(clock, {1, {}});
    }
    EXPECT_EQ(stepped.state(), whole.state());
}

} // namespace
} // namespace veltra
