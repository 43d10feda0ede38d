#include "console/PasteRunner.h"

#include "console/ConsoleText.h"
#include "console/ConsoleWords.h"

namespace veltra {

namespace {

// The block's commands, each as a console line. An indent before a line
// (pasted from a program) is dropped, so that the '>' goes before the command.
QStringList commandsOf(const QStringList& typed) {
    QStringList commands;
    for (const QString& line : typed) {
        qsizetype start = 0;
        while (start < line.size() && line[start].isSpace())
            ++start;
        const QString command = line.mid(start);
        if (command.trimmed().isEmpty() || command.trimmed() == kConsolePrompt) continue;
        commands.append(command.startsWith(kConsolePrompt) ? command : kConsolePrompt + command);
    }
    return commands;
}

} // namespace

LineResult runTypedLines(Console& console, ConsoleText& text, const std::function<bool()>& stopAsked) {
    if (console.Busy()) return LineResult::Stopped;
    const QStringList typed = text.TypedLines();
    if (typed.size() <= 1) return console.HandleEnter();

    QStringList commands = commandsOf(typed);
    // Nothing but blanks and prompts: Enter on an empty prompt.
    if (commands.isEmpty()) commands.append(kConsolePrompt);
    LineResult result = LineResult::Silent;
    for (qsizetype i = 0; i < commands.size(); ++i) {
        text.SetTypedLines({commands[i]});
        result = console.HandleEnter();
        if (result == LineResult::Stopped) break;
        if (result == LineResult::Failed || (stopAsked && stopAsked())) {
            if (i + 1 < commands.size()) text.SetTypedLines(commands.mid(i + 1));
            break;
        }
    }
    return result;
}

} // namespace veltra
