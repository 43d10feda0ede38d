// The console procedures against a simulated link: what the user sees in the
// console, which frames reach the board, and that the request bookkeeping is
// left clean for the link's polling.

#include <QPlainTextEdit>
#include <QTextBlock>

#include <gtest/gtest.h>

#include "app/console/PlainTextConsole.h"
#include "console/Console.h"
#include "console/ConsoleHistory.h"
#include "console/PasteRunner.h"
#include "link/LinkSession.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedBoard.h"

namespace veltra {
namespace {

using test::ScriptedBoard;

QStringList lines(const QPlainTextEdit& edit) { return edit.toPlainText().split(QChar('\n')); }

class ConsoleTest : public ::testing::Test {
protected:
    ConsoleTest() {
        board.attach(link);
        text.FillInitial();
        // The board answered a poll: the link is alive.
        link.OnFrameReceived(std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x10, 0, 0, 0, 0x0A});
    }

    // Types `line` as the console's last line (after the prompt the console
    // shows) and presses Enter.
    void enter(const QString& line) {
        QTextCursor cursor(edit.document()->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(line);
        console.HandleEnter();
    }

    QString lastButOne() const {
        const QStringList all = lines(edit);
        return all.size() >= 2 ? all[all.size() - 2] : QString();
    }

    QPlainTextEdit edit;
    ScriptedBoard board;
    LinkSession session{board};
    LinkProtocol& link = session.link();
    PlainTextConsole text{edit};
    ConsoleHistory history{QString()};
    Console console{text, session, &history};
};

TEST_F(ConsoleTest, StartsWithItsFourLines) {
    EXPECT_EQ(lines(edit), QStringList({"//---------- консоль управления  ----------",
                                        "//    введи команду и нажми Enter", "//", ">"}));
}

struct CompileErrorCase {
    const char* typed;
    const char* printed;
};

TEST_F(ConsoleTest, CompileErrorsArePrintedAndNothingIsSent) {
    const CompileErrorCase cases[] = {
        {">пауза", ">>ОШИБКА: недопустимая команда"},
        {"> сброс", ">>ОШИБКА: недопустимая команда"},
        {">ппзу = записать", ">>ОШИБКА: недопустимая команда"},
        {"очистить", ">>ОШИБКА: начало строки"},
        {">ППЗУ = сохранить", ">>ОШИБКА: команда"},
        {">свд_1 = х", ">>ОШИБКА: параметр команды"},
        {">свд_1 к", ">>ОШИБКА: команда"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        enter(QString::fromUtf8(c.typed));
        EXPECT_EQ(lastButOne(), QString::fromUtf8(c.printed));
        EXPECT_EQ(lines(edit).last(), ">");
    }
    enter(QStringLiteral(">свд=б") + QString(130, QChar(' ')));
    EXPECT_EQ(lastButOne(), QStringLiteral(">>ОШИБКА: длина строки"));
    EXPECT_TRUE(board.sent.empty());
    EXPECT_EQ(board.elapsedMs, 0);
}

TEST_F(ConsoleTest, EmptyPromptAddsAnotherPrompt) {
    const int before = edit.document()->blockCount();
    enter(">");
    EXPECT_EQ(edit.document()->blockCount(), before + 1);
    EXPECT_EQ(lines(edit).last(), ">");
    EXPECT_EQ(lastButOne(), ">");
    EXPECT_TRUE(board.sent.empty());
}

struct OutcomeCase {
    const char* typed;
    std::optional<std::uint8_t> status;  // nullopt: the board does not answer
    std::uint8_t code;                   // request code the board must see
    const char* outcome;
};

TEST_F(ConsoleTest, ProceduresReplaceTheWorkingLineByTheirOutcome) {
    const OutcomeCase cases[] = {
        {">свд_1 = к", 0, 0x25, " OK"},
        {">свд_1 = к", 1, 0x25, " ОШИБКА: команда отклонена!"},
        {">свд_1 = к", 0x10, 0x25, " ОШИБКА: команда отклонена!"},
        {">свд_1 = к", std::nullopt, 0x25, " ОШИБКА: плата не отвечает ! "},
        {">сброс", 0, 0xF0, " OK"},
        {">сбросить", 0, 0xF0, " OK"},
        {">сброс", 2, 0xF0, " ОШИБКА: команда отклонена!"},
        {">сброс", std::nullopt, 0xF0, " ОШИБКА: плата не отвечает ! "},
        {">ППЗУ = записать", 0, 0x30, " OK"},
        {">ППЗУ = записать", 0x01, 0x30, " OK"},
        {">ППЗУ = стереть", 0x10, 0x31, " ОШИБКА: сбой памяти Veltra !"},
        {">ППЗУ = стереть", std::nullopt, 0x31, " ОШИБКА: плата не отвечает ! "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        board.sent.clear();
        board.respond = [&](const std::vector<std::uint8_t>&) { return c.status; };
        enter(QString::fromUtf8(c.typed));
        ASSERT_EQ(board.sent.size(), 1u);
        EXPECT_EQ(board.sent[0][3], c.code);
        EXPECT_EQ(lastButOne(), QStringLiteral(">>выполняю... ") + QString::fromUtf8(c.outcome));
        EXPECT_EQ(lines(edit).last(), ">");
        EXPECT_EQ(link.pendingRequestCode(), 0);
        EXPECT_FALSE(link.resetRequest() || link.consoleCommandRequest() || link.memoryWriteRequest() ||
                     link.memoryEraseRequest());
    }
}

TEST_F(ConsoleTest, CommandFrameCarriesWordPrefixAndModuleFlag) {
    enter(">порт_2.3=вкл");
    ASSERT_EQ(board.sent.size(), 1u);
    EXPECT_EQ(board.sent[0], (std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x25, 0x08, 0x00, 0x00, 0x0A, 1, 0x04,
                                                       0x12, 0x00, 0x00, 0x00,
                                                       static_cast<std::uint8_t>(FrameCrc(
                                                           board.sent[0].data() + 8, 6)),
                                                       static_cast<std::uint8_t>(
                                                           FrameCrc(board.sent[0].data() + 8, 6) >> 8)}));
    enter(">вм свд_4 = с,12");
    ASSERT_EQ(board.sent.size(), 2u);
    const std::vector<std::uint8_t> data(board.sent[1].begin() + 8, board.sent[1].begin() + 14);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 0xC3, 0xA4, 0x00, 0xD1, 1}));
}

TEST_F(ConsoleTest, SilentLinkWithdrawsTheRequestAfterTheBoundedWaits) {
    board.linkRunning = false;
    enter(">реле_1 = вкл");
    EXPECT_EQ(lastButOne(), QStringLiteral(">>выполняю...  ОШИБКА: плата не отвечает ! "));
    // Nothing was sent, so nothing can answer: the 20 pick-up turns of 50 ms
    // decide, and no reply wait follows.
    EXPECT_EQ(board.elapsedMs, 1000);
    // A stale flag would send the command whenever the link comes back.
    EXPECT_FALSE(link.consoleCommandRequest());
}

TEST_F(ConsoleTest, WaitsFollowEachProceduresBounds) {
    board.respond = [](const std::vector<std::uint8_t>&) { return std::nullopt; };
    struct Bound {
        const char* typed;
        int maxMs;
    } bounds[] = {{">сброс", 500 + 500}, {">свд=б", 1000 + 1000}, {">ППЗУ = записать", 1000 + 50 + 5000}};
    for (const auto& b : bounds) {
        SCOPED_TRACE(b.typed);
        board.elapsedMs = 0;
        enter(QString::fromUtf8(b.typed));
        // The link picks the flag up in its first cycle; the rest is the reply wait's limit.
        EXPECT_LE(board.elapsedMs, b.maxMs);
        EXPECT_GE(board.elapsedMs, b.maxMs - 1000);
    }
}

TEST_F(ConsoleTest, ASlowLinkAnswersACommandWithinItsWaitAndFailsBeyondIt) {
    const struct {
        int roundTripMs;
        const char* outcome;
    } cases[] = {
        {0, " OK"},    {100, " OK"}, {250, " OK"}, {400, " OK"},
        {1000, " OK"}, // in the last of the twenty turns of the reply wait
        {1050, " ОШИБКА: плата не отвечает ! "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.roundTripMs);
        board.answerEverythingAfter(c.roundTripMs);
        enter(">реле_1 = вкл");
        EXPECT_EQ(lastButOne(), QStringLiteral(">>выполняю... ") + QString::fromUtf8(c.outcome));
    }
}

TEST_F(ConsoleTest, ClearWordRestartsTheConsoleWithItsOwnBlanks) {
    enter(">свд=б");
    enter(">очистить ещё");
    EXPECT_EQ(lines(edit), QStringList({"//---------- консоль управления ----------",
                                        "//     введи команду и нажми Enter ", "//", ">"}));
    EXPECT_EQ(edit.textCursor().position(), edit.document()->characterCount() - 1);
    EXPECT_EQ(board.sent.size(), 1u);
}

TEST_F(ConsoleTest, EnterActsOnTheLastLineWhereverTheCaretIs) {
    enter(">свд=б");
    QTextCursor cursor(edit.document()->findBlockByNumber(0));
    edit.setTextCursor(cursor);
    QTextCursor last(edit.document()->lastBlock());
    last.movePosition(QTextCursor::EndOfBlock);
    last.insertText("реле_2 = выкл");
    console.HandleEnter();
    ASSERT_EQ(board.sent.size(), 2u);
    EXPECT_EQ(board.sent[1][9], 0xFD);
    EXPECT_EQ(board.sent[1][10], 0x1A);
    EXPECT_EQ(edit.textCursor().position(), edit.document()->characterCount() - 1);
}

TEST_F(ConsoleTest, AbortedWaitLeavesTextAndLinkAlone) {
    board.abortAfterFirstSend = true;
    board.respond = [](const std::vector<std::uint8_t>&) { return std::nullopt; };
    enter(">свд=б");
    EXPECT_EQ(lines(edit).last(), QStringLiteral(">>выполняю... "));
    EXPECT_EQ(link.pendingRequestCode(), 0x25);
    EXPECT_FALSE(console.Busy());
}

TEST_F(ConsoleTest, OnlyLinesThatReachTheBoardGoIntoTheHistoryWhateverTheAnswer) {
    board.respond = [](const std::vector<std::uint8_t>&) { return std::optional<std::uint8_t>(1); };
    for (const char* typed :
         {">свд_1 = к", ">пауза", "свд_1 = к", ">", ">сброс", ">очистить", ">ППЗУ = стереть"})
        enter(QString::fromUtf8(typed));
    EXPECT_EQ(history.Entries(), QStringList({">свд_1 = к", ">сброс", ">ППЗУ = стереть"}));
}

TEST_F(ConsoleTest, PastedBlockRunsLineByLineAndStopsAtTheFirstOutcomeThatIsNotOk) {
    const QString ok = QStringLiteral(">>выполняю...  OK");
    const struct {
        const char* pasted; // after the prompt's '>'
        std::size_t sent;
        QStringList shown; // the console's lines from its prompt's line on
    } cases[] = {
        // Blank lines are left out, an indent dropped, a '>' put where none is;
        // the lines after a failed one wait after the new prompt.
        {"свд_1 = к\n\n  реле_1 = вкл\n>пауза\nсвд=б\n",
         2,
         {">свд_1 = к", ok, ">реле_1 = вкл", ok, ">пауза", ">>ОШИБКА: недопустимая команда", ">свд=б"}},
        // A bare prompt is no command; all went well: a fresh prompt.
        {"\n>\nА=5", 1, {">А=5", ok, ">"}},
        // The clear word prints no outcome: the block goes on in the cleared console.
        {"свд=б\nочистить\nА=5", 2, {">А=5", ok, ">"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pasted);
        text.FillInitial();
        board.sent.clear();
        edit.moveCursor(QTextCursor::End);
        edit.insertPlainText(QString::fromUtf8(c.pasted));
        runTypedLines(console, text);
        EXPECT_EQ(board.sent.size(), c.sent);
        EXPECT_EQ(lines(edit).mid(3), c.shown);
        EXPECT_EQ(link.pendingRequestCode(), 0);
    }
}

} // namespace
} // namespace veltra
