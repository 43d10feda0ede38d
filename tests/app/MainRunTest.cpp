// The run keys in the real main window: F5 checks first, the keys act in the
// editor view only, and the run never touches the link.

#include "MainFormFixture.h"

#include <QTextBlock>

#include "app/editor/LineGutter.h"
#include "app/editor/ProgramEdit.h"
#include "app/run/RunDesk.h"
#include "app/run/RunSession.h"
#include "app/run/RunWindow.h"

namespace veltra::test {
namespace {

using Phase = RunSession::Phase;

TEST_F(MainFormTest, RunKeysCheckFirstAndActInTheEditorViewOnly) {
    start();
    RunDesk& run = form->run();
    setEditorText(QStringLiteral("свд_1 = к\nпауза+\nчушь\n"));
    QTest::keyClick(edit(), Qt::Key_F5);
    EXPECT_TRUE(waitFor([&] { return message().contains(QStringLiteral("3")); })) << message().toStdString();
    EXPECT_EQ(run.session().phase(), Phase::Stopped);
    EXPECT_FALSE(run.window().isVisible());

    setEditorText(QStringLiteral("метка_1:\nсвд_1 = к\nпауза+\nпереход метка_1\n"));
    QTest::keyClick(edit(), Qt::Key_F5);
    ASSERT_TRUE(waitFor([&] { return run.session().phase() == Phase::Running; }));
    EXPECT_TRUE(run.window().isVisible());
    EXPECT_EQ(run.session().board().state().leds[0].colour, 1);

    const struct {
        QKeyCombination key;
        Phase after;
    } keys[] = {{Qt::Key_F6, Phase::Paused},
                {Qt::Key_F11, Phase::Paused},
                {Qt::Key_F5, Phase::Running},
                {Qt::SHIFT | Qt::Key_F5, Phase::Stopped}};
    for (const auto& k : keys) {
        QTest::keyClick(edit(), k.key.key(), k.key.keyboardModifiers());
        EXPECT_EQ(run.session().phase(), k.after) << QKeySequence(k.key).toString().toStdString();
    }
    edit()->setTextCursor(QTextCursor(edit()->document()->findBlockByNumber(2)));
    QTest::keyClick(edit(), Qt::Key_F9);
    EXPECT_EQ(run.breakpointLines(), std::set<int>{3});

    QTest::keyClick(edit(), Qt::Key_F10); // the console view
    ASSERT_TRUE(form->state().consoleMode);
    for (const int key : {Qt::Key_F5, Qt::Key_F11, Qt::Key_F7, Qt::Key_F9}) {
        QTest::keyClick(editConsol(), Qt::Key(key));
        EXPECT_EQ(run.session().phase(), Phase::Stopped);
    }
    EXPECT_EQ(run.breakpointLines(), std::set<int>{3});

    // Another program: the breakpoints of the old text do not pile up on line 1.
    QTest::keyClick(editConsol(), Qt::Key_F10);
    setEditorText(QStringLiteral("свд_1 = з\nпауза+\n"));
    EXPECT_TRUE(run.breakpointLines().empty());
}

} // namespace
} // namespace veltra::test
