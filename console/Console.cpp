#include "console/Console.h"

#include <QScopedValueRollback>

#include "compiler/InstructionSet.h"
#include "compiler/LineCompiler.h"
#include "compiler/StatusText.h"
#include "console/ConsoleHistory.h"
#include "console/ConsoleText.h"
#include "console/ConsoleWords.h"
#include "link/LinkSession.h"

namespace veltra {

namespace {

const QString kNoAnswer = QStringLiteral(" ОШИБКА: плата не отвечает ! ");
const QString kRejected = QStringLiteral(" ОШИБКА: команда отклонена!");
const QString kMemoryFailure = QStringLiteral(" ОШИБКА: сбой памяти Veltra !");

// Only the leading characters are compared, so ">сбросить" resets and
// ">очистить всё" clears; a blank after '>' sends the line to the compiler.
const QString kClearWord = QStringLiteral(">очистить");
const QString kResetWord = QStringLiteral(">сброс");

constexpr std::uint16_t kMemoryWriteWord = isa::word(isa::Family::MemoryService, 0, isa::kMemoryWriteRequest);

// Waits of each procedure: turns of `stepMs`, at most `limit`.
constexpr RequestPlan kResetPlan{{50, 10}, {10, 50}, 0};
constexpr RequestPlan kMemoryPlan{{50, 20}, {50, 100}, 50};
constexpr RequestPlan kCommandPlan{{50, 20}, {50, 20}, 0};

} // namespace

Console::Console(ConsoleText& text, LinkSession& session, ConsoleHistory* history)
    : text_(text), session_(session), history_(history) {}

LineResult Console::HandleEnter() {
    WaitTurns& turns = session_.turns();
    if (busy_ || turns.Aborted()) return LineResult::Stopped;
    // Cleared however the line ends, also when it returns early because the
    // window is closing.
    QScopedValueRollback busy(busy_, true);

    const QString line = text_.LastLine();
    if (line.startsWith(kClearWord)) {
        clearConsole();
        return turns.Aborted() ? LineResult::Stopped : LineResult::Silent;
    }
    LineResult result = LineResult::Silent;
    bool sent = true; // the line went to the board, whatever it answered
    if (line.startsWith(kResetWord)) {
        result = reset();
    } else {
        const std::u32string source = line.toStdU32String();
        const CmdRecord rec = compileConsoleLine(source);
        if (rec.status != CmdStatus::Ok && rec.status != CmdStatus::Skip) {
            text_.AppendLine(QStringLiteral(">>") + QString::fromUtf8(statusText(rec.status)));
            result = LineResult::Failed;
            sent = false;
        } else if (rec.kind == CmdKind::Service) {
            result = memory(rec.word);
        } else if ((rec.kind == CmdKind::Single || rec.kind == CmdKind::External) && rec.word != 0) {
            result = command(rec);
        } else {
            sent = false;
        }
    }
    if (turns.Aborted()) return LineResult::Stopped;
    if (sent && history_) history_->Add(line);
    finish();
    return result;
}

void Console::clearConsole() {
    text_.Clear();
    session_.turns().Pump();
    if (session_.turns().Aborted()) return;
    // These differ in their blanks from the lines the console starts with.
    for (const char* line :
         {"//---------- консоль управления ----------", "//     введи команду и нажми Enter ", "//", ">"})
        text_.AppendLine(QString::fromUtf8(line));
    text_.MarkPrompt();
    text_.CaretToEnd();
}

LineResult Console::reset() {
    return request(RequestCode::Reset, kResetPlan,
                   [](std::uint8_t status) { return status != 0 ? kRejected : kConsoleOk; });
}

LineResult Console::memory(std::uint16_t word) {
    const RequestCode code = word == kMemoryWriteWord ? RequestCode::MemoryWrite : RequestCode::MemoryErase;
    // Only the memory-failure bit matters for the memory commands.
    return request(code, kMemoryPlan, [](std::uint8_t status) {
        return (status & kMemoryFailureBit) ? kMemoryFailure : kConsoleOk;
    });
}

LineResult Console::command(const CmdRecord& rec) {
    const bool external = rec.kind == CmdKind::External;
    session_.link().SetConsoleCommand(rec.word, external ? rec.prefixWord : 0, external);
    return request(RequestCode::Command, kCommandPlan,
                   [](std::uint8_t status) { return status != 0 ? kRejected : kConsoleOk; });
}

LineResult Console::request(RequestCode code, const RequestPlan& plan,
                            QString (*judge)(std::uint8_t status)) {
    const int line = text_.AppendLine(kConsoleWorking);
    session_.turns().Pump(); // the line is painted before the wait
    if (session_.turns().Aborted()) return LineResult::Stopped;
    const RequestResult result = session_.Request(code, plan);
    if (result.outcome == RequestOutcome::Aborted) return LineResult::Stopped;
    const QString outcome = result.outcome == RequestOutcome::NoAnswer ? kNoAnswer : judge(result.status);
    text_.ReplaceLine(line, kConsoleWorking + outcome);
    return outcome == kConsoleOk ? LineResult::Ok : LineResult::Failed;
}

void Console::finish() {
    session_.FinishRequest();
    text_.AppendLine(kConsolePrompt);
    text_.MarkPrompt();
    text_.CaretToEnd();
    session_.turns().Pump();
}

} // namespace veltra
