#include "console/Console.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "compiler/LineCompiler.h"
#include "compiler/StatusText.h"

namespace veltra {

namespace {

const QString kWorking = QStringLiteral(">>выполняю... ");
const QString kOk = QStringLiteral(" OK");
const QString kNoAnswer = QStringLiteral(" ОШИБКА: плата не отвечает ! ");
const QString kRejected = QStringLiteral(" ОШИБКА: команда отклонена!");
const QString kMemoryFailure = QStringLiteral(" ОШИБКА: сбой памяти Veltra !");

// Only the leading characters are compared, so ">сбросить" resets and
// ">очистить всё" clears; a blank after '>' sends the line to the compiler.
const QString kClearWord = QStringLiteral(">очистить");
const QString kResetWord = QStringLiteral(">сброс");

constexpr std::uint16_t kMemoryWriteWord = 0x30;

// Waits of each procedure: turns of `stepMs`, at most `limit`.
constexpr RequestPlan kResetPlan{{50, 10}, {10, 50}, 0};
constexpr RequestPlan kMemoryPlan{{50, 20}, {50, 100}, 50};
constexpr RequestPlan kCommandPlan{{50, 20}, {50, 20}, 0};

// Clears the guard flag however the procedure ends, also when it returns
// early because the window is closing.
struct BusyScope {
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    bool& flag_;
};

}  // namespace

Console::Console(QPlainTextEdit& text, LinkProtocol& link, WaitTurns& turns)
    : text_(text), link_(link), turns_(turns) {}

void Console::FillInitial(QPlainTextEdit& text) {
    text.setPlainText(QStringLiteral("//---------- консоль управления  ----------\n"
                                     "//    введи команду и нажми Enter\n"
                                     "//\n"
                                     ">"));
    QTextCursor cursor = text.textCursor();
    cursor.movePosition(QTextCursor::End);
    text.setTextCursor(cursor);
}

void Console::HandleEnter() {
    if (busy_ || turns_.Aborted()) return;
    BusyScope scope(busy_);

    const QString line = lastLine();
    if (line.startsWith(kClearWord)) {
        clearConsole();
        return;
    }
    if (line.startsWith(kResetWord)) {
        reset();
    } else {
        const std::u32string source = line.toStdU32String();
        const CmdRecord rec = compileConsoleLine(source);
        if (rec.status != CmdStatus::Ok && rec.status != CmdStatus::Skip) {
            appendLine(QStringLiteral(">>") + QString::fromUtf8(statusText(rec.status)));
        } else if (rec.kind == CmdKind::Service) {
            memory(rec.word);
        } else if ((rec.kind == CmdKind::Single || rec.kind == CmdKind::External) && rec.word != 0) {
            command(rec);
        }
    }
    if (turns_.Aborted()) return;
    finish();
}

void Console::clearConsole() {
    text_.clear();
    QCoreApplication::processEvents();
    if (turns_.Aborted()) return;
    // These differ in their blanks from the lines the console starts with.
    text_.setPlainText(QStringLiteral("//---------- консоль управления ----------\n"
                                      "//     введи команду и нажми Enter \n"
                                      "//\n"
                                      ">"));
    caretToEnd();
}

void Console::reset() {
    request(RequestCode::Reset, kResetPlan, [](std::uint8_t status) { return status != 0 ? kRejected : kOk; });
}

void Console::memory(std::uint16_t word) {
    const RequestCode code = word == kMemoryWriteWord ? RequestCode::MemoryWrite : RequestCode::MemoryErase;
    // Only the memory-failure bit matters for the memory commands.
    request(code, kMemoryPlan,
            [](std::uint8_t status) { return (status & kMemoryFailureBit) ? kMemoryFailure : kOk; });
}

void Console::command(const CmdRecord& rec) {
    const bool external = rec.kind == CmdKind::External;
    link_.SetConsoleCommand(rec.word, external ? rec.prefixWord : 0, external);
    request(RequestCode::Command, kCommandPlan,
            [](std::uint8_t status) { return status != 0 ? kRejected : kOk; });
}

void Console::request(RequestCode code, const RequestPlan& plan, QString (*judge)(std::uint8_t status)) {
    const int line = beginWork();
    if (line < 0) return;
    LinkRequest request(link_, turns_);
    const RequestResult result = request.Run(code, plan);
    if (result.outcome == RequestOutcome::Aborted) return;
    endWork(line, result.outcome == RequestOutcome::NoAnswer ? kNoAnswer : judge(result.status));
}

QString Console::lastLine() const {
    // An empty last line (a pasted command brought its line end along) is not
    // a line of its own, just as the line indicator does not count it.
    QTextBlock last = text_.document()->lastBlock();
    if (last.text().isEmpty() && last.previous().isValid()) last = last.previous();
    return last.text();
}

int Console::beginWork() {
    appendLine(kWorking);
    const int line = text_.document()->blockCount() - 1;
    QCoreApplication::processEvents();
    return turns_.Aborted() ? -1 : line;
}

void Console::endWork(int line, const QString& outcome) {
    QTextBlock block = text_.document()->findBlockByNumber(line);
    if (!block.isValid()) {
        // The user edited the lines away meanwhile; the outcome still must be seen.
        appendLine(kWorking + outcome);
        return;
    }
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(kWorking + outcome);
}

void Console::finish() {
    link_.pendingRequestCode = 0;
    appendLine(QStringLiteral(">"));
    caretToEnd();
    QCoreApplication::processEvents();
}

void Console::appendLine(const QString& line) {
    QTextCursor cursor(text_.document());
    cursor.movePosition(QTextCursor::End);
    // An empty last line (an emptied console, or the line end a pasted
    // command brought) is filled rather than left blank above the new line.
    if (!text_.document()->lastBlock().text().isEmpty()) cursor.insertBlock();
    cursor.insertText(line);
}

void Console::caretToEnd() {
    QTextCursor cursor = text_.textCursor();
    cursor.movePosition(QTextCursor::End);
    text_.setTextCursor(cursor);
    text_.ensureCursorVisible();
}

}  // namespace veltra
