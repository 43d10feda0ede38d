// The program run on the virtual board inside the editor, in simulated time:
// the tests hand the run its wall clock and never sleep.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <QTextBlock>

#include <fstream>
#include <memory>
#include <optional>

#include "app/editor/EditorText.h"
#include "app/editor/LineGutter.h"
#include "app/editor/ProgramEdit.h"
#include "app/run/RunDesk.h"
#include "app/run/RunSession.h"
#include "app/run/RunWindow.h"
#include "board/BoardModel.h"
#include "compiler/ProgramCheck.h"
#include "tools/veltra-board/ProgramFile.h"
#include "tools/veltra-board/Scenario.h"
#include "tools/veltra-board/ScenarioRun.h"

namespace veltra {
namespace {

using ms = std::chrono::milliseconds;
using Phase = RunSession::Phase;

// Words: 0 line 3, 1 line 5 (a pause of 0.1 s), 2 line 6, 3-4 line 7, 5 line 8.
const char16_t* const kLoop = u"// мигание\nметка_1:\nсвд_1 = к\n\nпауза+\nА=А+1\n"
                              u"если А<3 тогда переход метка_1\nсвд_1 = выкл\n";

std::unique_ptr<ProgramImage> compiled(const QString& text) {
    auto image = std::make_unique<ProgramImage>();
    std::vector<std::u32string> lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        lines.push_back(line.toStdU32String());
    CheckReport report;
    EXPECT_EQ(buildProgram(lines, *image, report), 0) << report.message;
    return image;
}

// Advances in slices of `slice` until the run stops or pauses, at most `limit` of wall time.
void runUntilItStands(RunSession& run, ms slice = ms(10), ms limit = ms(10'000)) {
    for (ms spent{0}; run.phase() == Phase::Running && spent < limit; spent += slice)
        run.advance(slice);
}

TEST(RunSession, BreakpointsStopBeforeTheFirstWordOfTheirLineEachTimeItComes) {
    const auto image = compiled(QString::fromUtf16(kLoop));
    struct Stop {
        int at; // board time, ms
        int word;
        int a;
    };
    const struct {
        int line;
        std::vector<Stop> stops;
    } cases[] = {
        {6, {{100, 2, 0}, {200, 2, 1}, {300, 2, 2}}},
        // Both words of a condition are one stop, at the first.
        {7, {{100, 3, 1}, {200, 3, 2}, {300, 3, 3}}},
        {3, {{0, 0, 0}, {100, 0, 1}, {200, 0, 2}}},
        {8, {{300, 5, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        RunSession run;
        run.setBreakpointLines({c.line});
        ASSERT_TRUE(run.start(*image));
        for (const Stop& stop : c.stops) {
            runUntilItStands(run);
            ASSERT_EQ(run.phase(), Phase::Paused);
            EXPECT_EQ(run.boardTime(), ms(stop.at));
            EXPECT_EQ(run.board().state().pc, stop.word);
            EXPECT_EQ(run.board().state().a, stop.a) << "the word stopped before has not run";
            EXPECT_EQ(run.shownLine(), c.line);
            EXPECT_FALSE(run.ticking()) << "paused, nothing ticks";
            run.resume();
        }
        runUntilItStands(run);
        EXPECT_EQ(run.phase(), Phase::Stopped);
        EXPECT_EQ(run.board().state().a, 3);
    }
}

TEST(RunSession, AStepOverAPauseFinishesItAtOnceOrWaitsItOutAtRealSpeed) {
    const auto image = compiled(QString::fromUtf16(kLoop));
    for (const bool finish : {true, false}) {
        SCOPED_TRACE(finish ? "finish the pause" : "wait it out");
        RunSession run;
        run.setSpeed(RunSession::Speed::TenTimes); // a step waits at real speed whatever the run's speed
        run.setFinishPauseOnStep(finish);
        ASSERT_TRUE(run.start(*image, true));
        EXPECT_EQ(run.shownLine(), 3);
        run.step();
        EXPECT_EQ(run.board().state().leds[0].colour, 1);
        EXPECT_EQ(run.shownLine(), 5);
        run.step(); // the pause
        if (!finish) {
            EXPECT_EQ(run.phase(), Phase::Running);
            EXPECT_EQ(run.shownLine(), 5) << "the pause being waited out";
            run.advance(ms(60));
            EXPECT_EQ(run.phase(), Phase::Running);
            EXPECT_EQ(run.boardTime(), ms(60));
            run.advance(ms(60));
        }
        EXPECT_EQ(run.phase(), Phase::Paused);
        EXPECT_EQ(run.boardTime(), ms(100)) << "the pause's own length, never more";
        EXPECT_EQ(run.board().state().pc, 2);
        EXPECT_EQ(run.board().state().a, 0);
        EXPECT_EQ(run.shownLine(), 6);
        EXPECT_FALSE(run.ticking());
        run.step();
        EXPECT_EQ(run.board().state().a, 1);
    }
}

TEST(RunSession, EverySpeedEndsInTheSameStateAtTheSameBoardTime) {
    const auto image = compiled(QString::fromUtf16(kLoop));
    const struct {
        RunSession::Speed speed;
        int wallMs; // what the run needs of the wall clock
    } cases[] = {{RunSession::Speed::RealTime, 300},
                 {RunSession::Speed::TenTimes, 30},
                 {RunSession::Speed::Fastest, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.speed));
        RunSession run;
        run.setSpeed(c.speed);
        ASSERT_TRUE(run.start(*image));
        if (c.wallMs > 1) {
            run.advance(ms(c.wallMs - 1));
            EXPECT_EQ(run.phase(), Phase::Running) << "not before its time";
        }
        run.advance(ms(1));
        EXPECT_EQ(run.phase(), Phase::Stopped);
        EXPECT_EQ(run.boardTime(), ms(300));
        EXPECT_EQ(run.board().state().a, 3);
        EXPECT_EQ(run.board().state().leds[0].colour, 0);
        EXPECT_FALSE(run.ticking());
    }
}

TEST(RunSession, ALateSliceKeepsEveryPauseItCovers) {
    // Thirty rounds of a 0.1 s pause: the program ends at 3 s of board time.
    const auto image = compiled(QStringLiteral("метка_1:\nпауза+\nА=А+1\nесли А<30 тогда переход метка_1\n"));
    const struct {
        RunSession::Speed speed;
        int wallMs;
    } cases[] = {{RunSession::Speed::RealTime, 3000}, {RunSession::Speed::TenTimes, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.speed));
        RunSession run;
        run.setSpeed(c.speed);
        ASSERT_TRUE(run.start(*image));
        run.advance(ms(c.wallMs)); // one slice, as after a stall
        EXPECT_EQ(run.phase(), Phase::Stopped);
        EXPECT_EQ(run.board().state().a, 30);
        EXPECT_EQ(run.boardTime(), ms(3000));
    }
}

TEST(RunSession, RunToALineStopsAtItsFirstWordOrTheNextLineWithWords) {
    const auto image = compiled(QString::fromUtf16(kLoop));
    for (const auto& [line, word] : {std::pair{6, 2}, {4, 1}, {1, 0}, {8, 5}}) {
        SCOPED_TRACE(line);
        RunSession run;
        ASSERT_TRUE(run.start(*image, true));
        run.step(); // past word 0: a target there comes round again
        ASSERT_TRUE(run.runToLine(line));
        runUntilItStands(run);
        EXPECT_EQ(run.phase(), Phase::Paused);
        EXPECT_EQ(run.board().state().pc, word);
        run.resume(); // the target is gone once reached
        runUntilItStands(run);
        EXPECT_EQ(run.phase(), Phase::Stopped);
    }
    RunSession run;
    ASSERT_TRUE(run.start(*image, true));
    EXPECT_FALSE(run.runToLine(9)) << "no words below";
}

// The run view's board and veltra-board --scenario: the same model, the same
// buttons at the same board times, the same end.
TEST(RunSession, EndsInTheSameStateAsTheScenarioRunOfEveryExample) {
    const QDir examples(QStringLiteral(VELTRA_EXAMPLES));
    const QStringList names = examples.entryList({QStringLiteral("*.scenario")}, QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 5);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        std::ifstream in(examples.filePath(name).toStdString());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        board_sim::Scenario scenario;
        board_sim::ScenarioError error;
        ASSERT_TRUE(board_sim::parseScenario(lines, scenario, error)) << error.message;
        board_sim::CheckedProgramFile program;
        std::string readError;
        ASSERT_TRUE(board_sim::readCheckedProgram(
            examples.filePath(QString::fromStdString(scenario.program)).toStdString(), program, readError))
            << readError;

        BoardModel board;
        ASSERT_TRUE(board.loadProgram(std::span(program.image->words.data(), program.image->count)));
        std::ostringstream report;
        EXPECT_EQ(board_sim::runScenario(scenario, board, name.toStdString(), report).failed, 0)
            << report.str();

        RunSession run;
        ASSERT_TRUE(run.start(*program.image));
        for (const board_sim::ScenarioStep& step : scenario.steps) {
            using Kind = board_sim::ScenarioStep::Kind;
            if (step.kind == Kind::Advance) {
                while (run.boardTime() < step.until)
                    run.advance(std::min(board_sim::kScenarioStep, step.until - run.boardTime()));
            } else if (step.kind == Kind::Press || step.kind == Kind::Release) {
                run.board().setButton(step.button, step.kind == Kind::Press);
            } else if (step.kind == Kind::Execute) {
                run.board().executeNow(step.word);
            }
        }
        EXPECT_GT(run.boardTime(), ms(0));
        EXPECT_TRUE(run.board().state() == board.state());
        EXPECT_EQ(run.board().lastExecuted(), board.lastExecuted());
    }
}

// The editor's side: a real editor offscreen with its gutter, and the run's window.
class RunDeskTest : public ::testing::Test {
  protected:
    void SetUp() override {
        edit_.setPlainText(QString::fromUtf16(kLoop));
        edit_.resize(500, 400);
        main_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_));
    }

    void insertAtTop(const QString& text) { QTextCursor(edit_.document()).insertText(text); }

    QWidget main_;
    ProgramEdit& edit_ = *new ProgramEdit(&main_);
    std::unique_ptr<ProgramImage> image_;
    RunDesk desk_{edit_,
                  [this]() -> const ProgramImage* {
                      image_ = compiled(countedLines(*edit_.document()).join(QLatin1Char('\n')));
                      return image_.get();
                  },
                  main_};
};

TEST_F(RunDeskTest, BreakpointsMoveWithTheirLinesAndStopTheRunBeforeTheirWord) {
    desk_.toggleBreakpoint(6);
    desk_.toggleBreakpoint(2); // a label line: no word to stop before
    desk_.toggleBreakpoint(2);
    insertAtTop(QStringLiteral("// один\n// два\n"));
    EXPECT_EQ(desk_.breakpointLines(), std::set<int>{8});
    EXPECT_EQ(edit_.gutter().breakpoints(), std::set<int>{8});

    desk_.runOrContinue();
    ASSERT_TRUE(desk_.window().isVisible());
    runUntilItStands(desk_.session());
    ASSERT_EQ(desk_.session().phase(), Phase::Paused);
    EXPECT_EQ(desk_.session().board().state().a, 0);
    desk_.showNow();
    EXPECT_EQ(desk_.bandLine(), 8);
    EXPECT_EQ(edit_.gutter().runLine(), 8);

    // The old words run on; the band and the breakpoint follow the text.
    insertAtTop(QStringLiteral("// три\n"));
    EXPECT_TRUE(desk_.programChanged());
    EXPECT_TRUE(
        desk_.window().findChild<QLabel*>(QStringLiteral("programChanged"))->isVisibleTo(&desk_.window()));
    EXPECT_EQ(desk_.bandLine(), 9);
    desk_.runOrContinue();
    runUntilItStands(desk_.session());
    EXPECT_EQ(desk_.session().phase(), Phase::Paused);
    EXPECT_EQ(desk_.session().board().state().a, 1) << "stopped there again";
    desk_.toggleBreakpoint(9);
    desk_.runOrContinue();
    runUntilItStands(desk_.session());
    EXPECT_EQ(desk_.session().phase(), Phase::Stopped);
    desk_.showNow();
    EXPECT_EQ(desk_.bandLine(), 0);
}

TEST_F(RunDeskTest, AGutterClickSetsABreakpointAndTheStateShowsWhatTheStepChanged) {
    const std::vector<ShownLine> lines = edit_.shownLines();
    ASSERT_GE(lines.size(), 6u);
    QTest::mouseClick(&edit_.gutter(), Qt::LeftButton, {}, QPoint(4, lines[5].top + lines[5].height / 2));
    EXPECT_EQ(desk_.breakpointLines(), std::set<int>{6});

    desk_.step(); // stopped: starts before the first word
    ASSERT_EQ(desk_.session().phase(), Phase::Paused);
    for (const char* name : {"stateA", "stateB", "stateReturn", "stateStore1"})
        EXPECT_TRUE(desk_.window().findChild<QLabel*>(QLatin1String(name))->styleSheet().isEmpty()) << name;
    for (int i = 0; i < 2; ++i)
        desk_.step();
    desk_.showNow();
    auto* a = desk_.window().findChild<QLabel*>(QStringLiteral("stateA"));
    EXPECT_EQ(a->text(), QStringLiteral("0"));
    desk_.step(); // А=А+1
    desk_.showNow();
    EXPECT_EQ(a->text(), QStringLiteral("1"));
    EXPECT_FALSE(a->styleSheet().isEmpty()) << "changed in the last step";
    desk_.step();
    desk_.showNow();
    EXPECT_TRUE(a->styleSheet().isEmpty());
    EXPECT_EQ(desk_.window().findChild<QLabel*>(QStringLiteral("stateReturn"))->text(), QStringLiteral("—"));
}

} // namespace
} // namespace veltra
