// The console as the user drives it: F10, typing, Enter, in the real main
// window, with the board played on a pseudo-terminal.

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTextBlock>

#include "tests/app/MainFormFixture.h"
#include "wire/FrameCodec.h"

using namespace veltra;
using namespace veltra::test;

namespace {

class MainConsoleTest : public MainFormTest {
  protected:
    // Each test's console history starts empty.
    void SetUp() override {
        MainFormTest::SetUp();
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("state")));
    }
    void TearDown() override {
        MainFormTest::TearDown();
        qputenv("XDG_STATE_HOME", stateHome_);
    }
    const QByteArray stateHome_ = qgetenv("XDG_STATE_HOME");

    QPlainTextEdit* console() const { return editConsol(); }

    void startConsole() {
        start();
        ASSERT_TRUE(waitFor([&] { return form->session().link().LinkAlive(); }));
        QTest::keyClick(edit(), Qt::Key_F10);
        ASSERT_TRUE(form->state().consoleMode);
    }

    // Types after the prompt and presses Enter.
    void enter(const QString& text) {
        type(console(), text);
        QTest::keyClick(console(), Qt::Key_Return);
    }

    QStringList lines() const { return console()->toPlainText().split(QChar('\n')); }
    void trigger(const char* action) const { control<QAction>(*form, action)->trigger(); }
    // A new run of the program: the window closes, and a new one opens the port.
    void restart() {
        form->close();
        form.reset();
        startConsole();
    }
    QString outcome() const {
        const QStringList all = lines();
        return all.value(all.size() - 2);
    }
};

TEST_F(MainConsoleTest, CommandReachesTheBoardAndIsAnsweredOk) {
    startConsole();
    enter("свд_4 = с,12");
    EXPECT_EQ(outcome(), ">>выполняю...  OK");
    EXPECT_EQ(lines().last(), ">");
    const auto frame = board.lastOf(0x25);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->crcOk());
    EXPECT_EQ(frame->data(), (std::vector<std::uint8_t>{1, 0xC3, 0xA4, 0, 0, 0}));

    enter("вм свд_4 = с,12");
    EXPECT_EQ(outcome(), ">>выполняю...  OK");
    EXPECT_EQ(board.lastOf(0x25)->data(), (std::vector<std::uint8_t>{1, 0xC3, 0xA4, 0x00, 0xD1, 1}));
    // Enter never types a line break of its own; the caret waits after the new prompt.
    EXPECT_EQ(console()->textCursor().position(), console()->document()->characterCount() - 1);
}

TEST_F(MainConsoleTest, RejectedAndUnansweredCommandsSayWhy) {
    startConsole();
    board.setStatus(0x25, 1);
    enter("реле_1 = вкл");
    EXPECT_EQ(outcome(), ">>выполняю...  ОШИБКА: команда отклонена!");

    board.setAnswering(false);
    enter("реле_1 = выкл");
    EXPECT_EQ(outcome(), ">>выполняю...  ОШИБКА: плата не отвечает ! ");
    EXPECT_EQ(form->session().link().pendingRequestCode(), 0);
}

TEST_F(MainConsoleTest, ResetAndMemoryCommands) {
    startConsole();
    enter("сбросить");
    EXPECT_EQ(outcome(), ">>выполняю...  OK");
    EXPECT_EQ(board.countOf(0xF0), 1u);

    board.setStatus(0x30, 0x10);
    enter("ППЗУ = записать");
    EXPECT_EQ(outcome(), ">>выполняю...  ОШИБКА: сбой памяти Veltra !");
    // The link's reply handling reports the memory error in the message line too.
    EXPECT_EQ(message(), "ERROR EEPROM");

    board.setStatus(0x31, 0x01);
    enter("ППЗУ = стереть");
    EXPECT_EQ(outcome(), ">>выполняю...  OK");
    EXPECT_EQ(board.countOf(0x31), 1u);
}

TEST_F(MainConsoleTest, ConsoleWordsAndCompileErrors) {
    startConsole();
    enter(" сброс");
    EXPECT_EQ(outcome(), ">>ОШИБКА: недопустимая команда");
    enter("пауза");
    EXPECT_EQ(outcome(), ">>ОШИБКА: недопустимая команда");
    EXPECT_EQ(board.countOf(0xF0), 0u);

    enter("очистить ещё");
    EXPECT_EQ(lines(), QStringList({"//---------- консоль управления ----------",
                                    "//     введи команду и нажми Enter ", "//", ">"}));

    // The prompt deleted: the line no longer begins with '>'.
    QTest::keyClick(console(), Qt::Key_Backspace);
    enter("очистить");
    EXPECT_EQ(outcome(), ">>ОШИБКА: начало строки");
}

TEST_F(MainConsoleTest, F10WaitsForTheConsoleLineToFinish) {
    startConsole();
    board.setAnswering(false);
    bool stillConsole = false;
    turns().AtTurn(3, [&] {
        QTest::keyClick(console(), Qt::Key_F10);
        stillConsole = form->state().consoleMode;
    });
    enter("свд = вкл");
    EXPECT_TRUE(stillConsole);
    EXPECT_EQ(outcome(), ">>выполняю...  ОШИБКА: плата не отвечает ! ");
    QTest::keyClick(console(), Qt::Key_F10);
    EXPECT_FALSE(form->state().consoleMode);
}

TEST_F(MainConsoleTest, ClosingTheWindowDuringACommandEndsTheWait) {
    startConsole();
    board.setAnswering(false);
    closeAfterWaiting(300);
    const std::int64_t waited = waitedMs();
    enter("свд = вкл");
    EXPECT_TRUE(form->isClosing());
    EXPECT_LT(waitedMs() - waited, 1800); // the command's waits would take over 2 s
    EXPECT_EQ(waitedMs(), closedAt);      // not a turn more once the window closed
}

TEST_F(MainConsoleTest, UpAndDownRecallSentLinesAlsoInTheNextRun) {
    startConsole();
    enter("свд_1 = к");
    enter("пауза"); // not sent: not kept
    enter("реле_1 = вкл");
    type(console(), "А=");
    QTest::keyClick(console(), Qt::Key_Up);
    EXPECT_EQ(lines().last(), ">реле_1 = вкл");
    QTest::keyClick(console(), Qt::Key_Up);
    EXPECT_EQ(lines().last(), ">свд_1 = к");
    QTest::keyClick(console(), Qt::Key_Escape);
    EXPECT_EQ(lines().last(), ">А=");

    restart();
    QTest::keyClick(console(), Qt::Key_Up);
    EXPECT_EQ(lines().last(), ">реле_1 = вкл");
    // On an earlier line the arrows move the caret as ever.
    console()->moveCursor(QTextCursor::Start);
    QTest::keyClick(console(), Qt::Key_Down);
    EXPECT_EQ(console()->textCursor().blockNumber(), 1);
    EXPECT_EQ(readFile(dir.filePath("state/veltra/console-history")),
              QString(">свд_1 = к\n>реле_1 = вкл\n").toUtf8());
}

TEST_F(MainConsoleTest, KeysTypedDuringAWaitAppearOnTheNextPrompt) {
    startConsole();
    board.setAnswering(false);
    turns().AtTurn(3, [&] {
        type(console(), "свд=бб");
        QTest::keyClick(console(), Qt::Key_Backspace);
        QTest::keyClick(console(), Qt::Key_Delete); // would change the lines being written
    });
    enter("реле_1 = вкл");
    EXPECT_EQ(lines().mid(3),
              QStringList({">реле_1 = вкл", ">>выполняю...  ОШИБКА: плата не отвечает ! ", ">свд=б"}));
    EXPECT_EQ(console()->textCursor().position(), console()->document()->characterCount() - 1);
}

TEST_F(MainConsoleTest, PastedBlockPutsItsFramesOnTheWireInOrderAndStopsAtARejectedOne) {
    startConsole();
    board.setStatus(0x25, 1);
    QGuiApplication::clipboard()->setText("сброс\nППЗУ = записать\nсвд=б\nреле_1 = вкл\n");
    QTest::keyClick(console(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(console(), Qt::Key_Return);

    std::vector<std::uint8_t> codes;
    for (const ReceivedFrame& received : board.frames()) {
        if (received.frame.code() != static_cast<std::uint8_t>(RequestCode::Poll))
            codes.push_back(received.frame.code());
    }
    EXPECT_EQ(codes, (std::vector<std::uint8_t>{0xF0, 0x30, 0x25}));
    EXPECT_EQ(lines().mid(3),
              QStringList({">сброс", ">>выполняю...  OK", ">ППЗУ = записать", ">>выполняю...  OK", ">свд=б",
                           ">>выполняю...  ОШИБКА: команда отклонена!", ">реле_1 = вкл"}));
}

TEST_F(MainConsoleTest, EscapeStopsAPastedBlockAfterTheLineThatRunsAndKeepsTheRest) {
    startConsole();
    QGuiApplication::clipboard()->setText("свд_1 = к\nреле_1 = вкл\nА=5\nВ=7\n");
    QTest::keyClick(console(), Qt::Key_V, Qt::ControlModifier);
    // While the first line waits for its answer.
    turns().AtTurn(1, [&] { QTest::keyClick(console(), Qt::Key_Escape); });
    QTest::keyClick(console(), Qt::Key_Return);

    EXPECT_EQ(board.countOf(0x25), 1u);
    EXPECT_EQ(lines().mid(3),
              QStringList({">свд_1 = к", ">>выполняю...  OK", ">реле_1 = вкл", ">А=5", ">В=7"}));
    EXPECT_EQ(console()->textCursor().position(), console()->document()->characterCount() - 1);
}

TEST_F(MainConsoleTest, CtrlSInTheConsoleSavesItsWholeTextAsWindows1251) {
    start();
    QTest::keyClick(edit(), Qt::Key_S, Qt::ControlModifier); // the editor's, not the console's
    const int programSaves = dialogs.count(DialogCall::Save);
    EXPECT_EQ(dialogs.last(DialogCall::Save).setup.title, "Сохранить программу...");
    ASSERT_TRUE(waitFor([&] { return form->session().link().LinkAlive(); }));
    QTest::keyClick(edit(), Qt::Key_F10);
    enter("свд=б");
    const QString path = dir.filePath("сеанс");
    dialogs.saveAnswers.push_back(path);
    QTest::keyClick(console(), Qt::Key_S, Qt::ControlModifier);

    ASSERT_EQ(dialogs.count(DialogCall::Save), programSaves + 1);
    const DialogCall save = dialogs.last(DialogCall::Save);
    EXPECT_EQ(save.setup.title, "Сохранить текст консоли...");
    EXPECT_TRUE(QRegularExpression(R"(^консоль_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.txt$)")
                    .match(save.setup.fileName)
                    .hasMatch());
    const QByteArray expected = QStringEncoder("windows-1251")(
        QStringLiteral("//---------- консоль управления  ----------\r\n//    введи команду и нажми Enter\r\n"
                       "//\r\n>свд=б\r\n>>выполняю...  OK\r\n>\r\n"));
    EXPECT_EQ(readFile(path + ".txt"), expected);

    trigger("actConsoleCopyAll");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), lines().join('\n'));

    // A character the code page has not: nothing is written, and the user is told.
    type(console(), "свд=б ✓");
    QTest::keyClick(console(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.count(DialogCall::Save), programSaves + 1);
    EXPECT_TRUE(dialogs.last(DialogCall::Message).text.startsWith("Строка 6: символ «✓»"));
}

TEST_F(MainConsoleTest, AddToProgramAppendsOnlyTheAcceptedCommandsAsOneUndoableChange) {
    start();
    setEditorText("свд=б\n");
    ASSERT_TRUE(waitFor([&] { return form->session().link().LinkAlive(); }));
    QTest::keyClick(edit(), Qt::Key_F10);
    enter("свд_1 = к");
    board.setStatus(0x25, 1);
    enter("реле_1 = вкл");
    board.setStatus(0x25, 0);
    enter("сброс"); // the console's own word: no program line
    enter("А=5");
    // From the middle of the first command to the end of the last one, whose
    // outcome line is not selected.
    QTextCursor selection(console()->document()->findBlockByNumber(3));
    selection.movePosition(QTextCursor::Right);
    const QTextBlock last = console()->document()->findBlockByNumber(9);
    ASSERT_EQ(last.text(), ">А=5");
    selection.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    console()->setTextCursor(selection);
    trigger("actConsoleToProgram");

    EXPECT_EQ(edit()->toPlainText(), "свд=б\nсвд_1 = к\nА=5\n");
    runOneSecond();
    EXPECT_EQ(message(), "программа изменена...");
    edit()->undo();
    EXPECT_EQ(edit()->toPlainText(), "свд=б\n");
}

} // namespace
