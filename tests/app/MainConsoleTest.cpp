// The console as the user drives it: F10, typing, Enter, in the real main
// window, with the board played on a pseudo-terminal.

#include <QPlainTextEdit>
#include <QTextBlock>

#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

class MainConsoleTest : public MainFormTest {
  protected:
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
    EXPECT_EQ(form->session().link().pendingRequestCode, 0);
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
    QTimer::singleShot(300, form.get(), [&] {
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
    QTimer::singleShot(300, form.get(), [&] { form->close(); });
    QElapsedTimer clock;
    clock.start();
    enter("свд = вкл");
    EXPECT_TRUE(form->isClosing());
    EXPECT_LT(clock.elapsed(), 1800); // the command's waits would take over 2 s
}

} // namespace
