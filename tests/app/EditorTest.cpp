// The editor's helpers in the real main window: live marks, the jump to the
// error, the shortcuts, undo after New and Open, the recovery copy.

#include <QHelpEvent>
#include <QLineEdit>
#include <QToolTip>
#include <QPrintPreviewDialog>
#include <QSpinBox>
#include <QTextBlock>

#include "app/editor/FindBar.h"
#include "app/editor/LineGutter.h"
#include "app/editor/ProgramEdit.h"
#include "compiler/ProgramCheck.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

const QString kNewProgram = QStringLiteral("//------- программа Veltra -------");

class EditorTest : public MainFormTest {
  protected:
    QTemporaryDir state;

    void SetUp() override {
        MainFormTest::SetUp();
        // Each test has a state folder of its own for the recovery copy.
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    }

    LineGutter& gutter() const { return static_cast<ProgramEdit*>(edit())->gutter(); }
    QString copyPath() const { return state.filePath("veltra/recovery.txt"); }
    QString text() const { return countedLines(*edit()->document()).join('\n'); }
    int caret() const { return caretLine(*edit()); }

    void goToLine(int line) {
        edit()->setTextCursor(QTextCursor(edit()->document()->findBlockByNumber(line - 1)));
    }
};

TEST_F(EditorTest, LiveMarksAreTheCheckErrorsAndLeaveTheWindowsStateAlone) {
    start();
    setEditorText(QStringLiteral("пауза\nпауза 5\nпереход метка_2\nсвд = х\n"));
    form->session().program().count = 3;
    const int length = form->state().textLength;

    // A change brings the marks a moment later.
    edit()->moveCursor(QTextCursor::End);
    type(edit(), QStringLiteral("пауза"));
    ASSERT_TRUE(waitFor([&] { return gutter().marks().size() == 3; }, 5000));
    std::map<int, QString> expected;
    for (const CheckReport& error : findProgramErrors(sourceLines(*edit()->document())))
        expected.emplace(error.line, QString::fromStdString(error.message));
    EXPECT_EQ(gutter().marks(), expected);
    EXPECT_EQ(gutter().marks().at(2), "[стр.  2] ОШИБКА: параметр команды");
    EXPECT_EQ(message(), "...");
    EXPECT_EQ(form->session().program().count, 3);
    EXPECT_EQ(form->state().textLength, length);
    EXPECT_EQ(form->state().lastTextLength, length);

    // The window's own check reports the first mark.
    form->checkProgram();
    EXPECT_EQ(message(), gutter().marks().begin()->second);

    // The gutter lives inside the editor's own rectangle.
    EXPECT_EQ(edit()->geometry(), QRect(11, 5, 484, 539));
    EXPECT_TRUE(edit()->rect().contains(gutter().geometry()));

    // A mark's tooltip is its message.
    const ShownLine second = static_cast<ProgramEdit*>(edit())->shownLines().at(1);
    QHelpEvent hover(QEvent::ToolTip, QPoint(4, second.top + 2), gutter().mapToGlobal(QPoint(4, second.top + 2)));
    QApplication::sendEvent(&gutter(), &hover);
    EXPECT_EQ(QToolTip::text(), "[стр.  2] ОШИБКА: параметр команды");
}

TEST_F(EditorTest, F4AndAClickOnTheMessageLineGoToTheFailingLine) {
    start();
    setEditorText(QStringLiteral("пауза\nпауза\nпереход метка_3\nпауза\n"));
    form->checkProgram(); // the missing label is reported at its jump, line 3
    goToLine(1);
    QTest::keyClick(edit(), Qt::Key_F4);
    EXPECT_EQ(caret(), 3);
    goToLine(1);
    QTest::mouseClick(label("stError"), Qt::LeftButton);
    EXPECT_EQ(caret(), 3);
    EXPECT_EQ(focused(), edit());

    // Once the text changed, the check's line is stale: the first live mark counts.
    goToLine(2);
    type(edit(), QStringLiteral("x"));
    ASSERT_TRUE(waitFor([&] { return gutter().firstMarkedLine() == 2; }, 5000));
    goToLine(4);
    QTest::keyClick(edit(), Qt::Key_F4);
    EXPECT_EQ(caret(), 2);

    // Not from the console view.
    goToLine(4);
    QTest::keyClick(edit(), Qt::Key_F10);
    QTest::keyClick(editConsol(), Qt::Key_F4);
    QTest::mouseClick(label("stError"), Qt::LeftButton);
    EXPECT_EQ(caret(), 4);
}

TEST_F(EditorTest, ShortcutsActAsTheButtonsInTheEditorViewOnly) {
    start();
    QString saved = dir.filePath("saved.txt");
    struct Case {
        QKeyCombination keys;
        std::function<bool()> acted;
    };
    const Case cases[] = {
        {Qt::CTRL | Qt::Key_N, [&] { return text() == kNewProgram; }},
        {Qt::CTRL | Qt::Key_O, [&] { return dialogs.count(DialogCall::Open) == 1; }},
        // The console's own Ctrl+S saves its text, under another title.
        {Qt::CTRL | Qt::Key_S,
         [&] { return dialogs.last(DialogCall::Save).setup.title == "Сохранить программу..."; }},
        {Qt::CTRL | Qt::Key_P, [&] { return dialogs.count(DialogCall::Modal) == 1; }},
        {Qt::CTRL | Qt::Key_F, [&] { return form->findChild<FindBar*>()->isVisible(); }},
        {Qt::CTRL | Qt::Key_H,
         [&] { return form->findChild<QLineEdit*>(QStringLiteral("replaceText"))->isVisible(); }},
        {Qt::CTRL | Qt::Key_G, [&] { return form->findChild<QSpinBox*>(QStringLiteral("lineNumber"))->isVisible(); }},
    };
    bool previewed = false;
    dialogs.modal = [&](QDialog& dialog) {
        previewed = qobject_cast<QPrintPreviewDialog*>(&dialog) != nullptr;
        return int(QDialog::Rejected);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.keys).toString().toStdString());
        // Console view first: nothing happens.
        setEditorText(QStringLiteral("пауза"));
        dialogs.calls.clear();
        QTest::keyClick(edit(), Qt::Key_F10);
        QTest::keyClick(editConsol(), c.keys.key(), c.keys.keyboardModifiers());
        QTest::keyClick(editConsol(), Qt::Key_F10);
        EXPECT_FALSE(c.acted());
        QTest::keyClick(edit(), c.keys.key(), c.keys.keyboardModifiers());
        EXPECT_TRUE(c.acted());
        form->findChild<FindBar*>()->close();
    }
    EXPECT_TRUE(previewed); // printing goes through Qt's preview
}

TEST_F(EditorTest, UndoAfterNewOrOpenBringsThePreviousTextBack) {
    start();
    const QString path = dir.filePath("prog.txt");
    writeFile(path, "\xef\xe0\xf3\xe7\xe0\r\n"); // "пауза"
    setEditorText(QStringLiteral("свд = ж,7"));
    type(edit(), QStringLiteral("x"));
    const QString typed = text();

    button("btNew")->click();
    ASSERT_EQ(text(), kNewProgram);
    QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), typed);
    runOneSecond();
    EXPECT_EQ(message(), "программа изменена..."); // the old text counts as a change again

    dialogs.openAnswers.push_back(path);
    button("btLoadFromFile")->click();
    ASSERT_EQ(text(), "пауза");
    QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), typed);
}

TEST_F(EditorTest, TheRecoveryCopySurvivesAKillAndIsOfferedOnceAsAChange) {
    start();
    type(edit(), QStringLiteral("свд = ж,7"));
    const QString typed = wholeText(*edit()->document());
    // Written while the window runs: what a kill leaves behind.
    ASSERT_TRUE(waitFor([&] { return readFile(copyPath()) == typed.toUtf8(); }, 5000));
    form.reset(); // no closing at all, as after a kill

    start();
    form->offerRecovery();
    ASSERT_EQ(dialogs.count(DialogCall::Question), 1);
    EXPECT_TRUE(dialogs.last(DialogCall::Question).text.contains("Восстановить"));
    EXPECT_EQ(wholeText(*edit()->document()), typed);
    EXPECT_EQ(form->session().program().count, 0);
    runOneSecond();
    EXPECT_EQ(message(), "программа изменена..."); // to be checked before an upload
    form->offerRecovery(); // the copy is what the editor holds now
    EXPECT_EQ(dialogs.count(DialogCall::Question), 1);
}

TEST_F(EditorTest, TheCopyIsKeptForUnsavedTextAndGoesWhenAFileHoldsTheText) {
    start();
    type(edit(), QStringLiteral("пауза"));
    form->close(); // at once: the copy is written while closing
    EXPECT_EQ(readFile(copyPath()), "пауза\n");

    start();
    dialogs.questionAnswers.push_back(false);
    form->offerRecovery();
    EXPECT_EQ(text(), "");
    EXPECT_FALSE(QFile::exists(copyPath()));
    EXPECT_EQ(readFile(state.filePath("veltra/recovery-declined.txt")), "пауза\n"); // kept aside

    type(edit(), QStringLiteral("пауза"));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(copyPath()); }, 5000));
    dialogs.saveAnswers.push_back(dir.filePath("prog.txt"));
    button("btSaveToFile")->click();
    EXPECT_FALSE(QFile::exists(copyPath()));
    form->close();
    EXPECT_FALSE(QFile::exists(copyPath()));
}

TEST_F(EditorTest, ReplaceAllIsOneUndoStepAndGoToLineMovesTheCaret) {
    start();
    setEditorText(QStringLiteral("пауза\nсвд = ж\nпауза+\n"));
    QTest::keyClick(edit(), Qt::Key_H, Qt::ControlModifier);
    auto* bar = form->findChild<FindBar*>();
    auto* find = form->findChild<QLineEdit*>(QStringLiteral("findText"));
    type(find, QStringLiteral("пауза"));
    QTest::keyClick(find, Qt::Key_Return); // finds; the editor gets no line break
    EXPECT_EQ(edit()->textCursor().selectedText(), "пауза");
    EXPECT_EQ(text(), "пауза\nсвд = ж\nпауза+");
    QTest::keyClick(find, Qt::Key_Tab); // to the next field, no tab over the found word
    EXPECT_EQ(text(), "пауза\nсвд = ж\nпауза+");
    EXPECT_EQ(focused(), form->findChild<QLineEdit*>(QStringLiteral("replaceText")));
    type(focused(), QStringLiteral("пауза=2"));
    EXPECT_EQ(bar->replaceAll(), 2);
    EXPECT_EQ(text(), "пауза=2\nсвд = ж\nпауза=2+");
    QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "пауза\nсвд = ж\nпауза+");

    QTest::keyClick(edit(), Qt::Key_G, Qt::ControlModifier);
    auto* line = form->findChild<QSpinBox*>(QStringLiteral("lineNumber"));
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("3"));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(caret(), 3);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(focused(), edit());
}

} // namespace
