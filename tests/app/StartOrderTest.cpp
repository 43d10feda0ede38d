// The main window is painted before its port is opened: the port's steps
// (about 1.7 s of the design's waits) run right after the first paint, and the
// window must be safe to use and to close while they run.

#include <QSignalSpy>
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include "app/window/AfterFirstPaint.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

// The line settings of a terminal as another opener sees them, and whether
// it can take the terminal's lock (nobody holds the port).
struct LineState {
    termios settings{};
    bool free = false;
};

LineState lineState(const std::string& path) {
    LineState state;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return state;
    ::tcgetattr(fd, &state.settings);
    state.free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return state;
}

class StartOrderTest : public MainFormTest {
  protected:
    // Makes the window and, after its first paint, runs `during` as soon as
    // `when` holds (looked at whenever the port's steps let events run), or at
    // once without a `when`.
    void startAndThen(std::function<bool()> when, std::function<void()> during) {
        form = std::make_unique<TMainForm>();
        auto* watch = new QTimer(form.get());
        QObject::connect(watch, &QTimer::timeout, form.get(), [=] {
            if (!when()) return;
            watch->stop();
            during();
        });
        QObject::connect(form.get(), &TMainForm::firstPainted, watch, [=] {
            if (when) {
                watch->start(1);
            } else {
                during(); // at once, before the port's steps begin
            }
        });
        EXPECT_TRUE(form->isStarting());
    }
};

TEST_F(StartOrderTest, ClosingWhileThePortIsOpenedEndsWithinASecondAndGivesThePortBack) {
    const LineState before = lineState(board.slavePath());
    ASSERT_TRUE(before.free);
    const struct {
        const char* name;
        std::function<bool()> when;
    } moments[] = {
        {"before the port's steps begin", nullptr},
        {"the port made, waiting before it is opened", [&] { return form->session().port() != nullptr; }},
    };
    for (const auto& moment : moments) {
        SCOPED_TRACE(moment.name);
        // The close's own waits, on the clocks of the window's turns and the
        // port's (waitedMs): the port's steps left undone would wait about
        // 1.2 s more.
        std::int64_t closedAt = 0;
        std::int64_t waitedAtClose = 0;
        startAndThen(moment.when, [&] {
            EXPECT_TRUE(form->isStarting());
            waitedAtClose = waitedMs();
            form->close();
        });
        QSignalSpy closed(form.get(), &TMainForm::closed);
        QObject::connect(form.get(), &TMainForm::closed, [&] { closedAt = waitedMs(); });
        ASSERT_TRUE(waitFor([&] { return closed.count() == 1; }, 10000));
        std::printf("closed after %lld ms of waits\n", static_cast<long long>(closedAt - waitedAtClose));
        EXPECT_LT(closedAt - waitedAtClose, 1200);
        EXPECT_EQ(form->session().port(), nullptr);
        const LineState after = lineState(board.slavePath());
        EXPECT_TRUE(after.free);
        EXPECT_EQ(after.settings.c_lflag, before.settings.c_lflag);
        EXPECT_EQ(cfgetospeed(&after.settings), cfgetospeed(&before.settings));
        form.reset();
    }
    EXPECT_EQ(board.countOf(0x10), 0u);
}

TEST_F(StartOrderTest, WhileThePortIsOpenedF8DoesNothingAndF10F1AndTypingWork) {
    bool pressed = false;
    startAndThen([] { return true; },
                 [&] {
                     ASSERT_TRUE(form->isStarting());
                     form->activateWindow();
                     QTest::keyClick(edit(), Qt::Key_F8);
                     button("btSend")->click();
                     type(edit(), "свд");
                     QTest::keyClick(edit(), Qt::Key_F10);
                     pressed = form->state().consoleMode;
                     QTest::keyClick(editConsol(), Qt::Key_F10);
                 });
    ASSERT_TRUE(waitFor([&] { return pressed && !form->isStarting(); }));
    EXPECT_TRUE(dialogs.calls.empty()); // no upload window, no sound, no box
    EXPECT_EQ(edit()->toPlainText(), "свд\n");
    EXPECT_FALSE(form->state().consoleMode);
    EXPECT_EQ(panel(0)->text(), "Порт COM1 - ОК");
    EXPECT_TRUE(waitFor([&] { return board.countOf(0x10) > 0; }));
}

// A window started minimised is never painted: its steps come all the same,
// and its first paint, whenever it comes, is announced once and the steps
// follow it again (they are made to do nothing a second time).
TEST(AfterFirstPaint, TheStepsFollowTheFirstPaintOrComeAtTheLatestWithoutOne) {
    for (const bool shownAtOnce : {true, false}) {
        SCOPED_TRACE(shownAtOnce ? "shown at once" : "never shown at first");
        QWidget window;
        std::vector<std::string> calls;
        // Shown at once, the paint comes first however slow the machine is.
        new AfterFirstPaint(
            window, shownAtOnce ? 60000 : 30, [&] { calls.push_back("painted"); },
            [&] { calls.push_back("steps"); });
        if (shownAtOnce) {
            window.show();
            ASSERT_TRUE(waitFor([&] { return calls.size() == 2; }));
            EXPECT_EQ(calls, (std::vector<std::string>{"painted", "steps"}));
        } else {
            ASSERT_TRUE(waitFor([&] { return !calls.empty(); }));
            EXPECT_EQ(calls, std::vector<std::string>{"steps"});
            window.show();
            ASSERT_TRUE(waitFor([&] { return calls.size() == 3; }));
            EXPECT_EQ(calls, (std::vector<std::string>{"steps", "painted", "steps"}));
        }
        window.repaint();
        pumpFor(20);
        EXPECT_EQ(calls.size(), shownAtOnce ? 2u : 3u) << "only the first paint counts";
    }
}

} // namespace
