#include "console/ConsoleTranscript.h"

#include "compiler/LineCompiler.h"
#include "console/ConsoleWords.h"

namespace veltra {

QStringList acceptedCommands(const QStringList& lines, qsizetype first, qsizetype last) {
    const QString answeredOk = kConsoleWorking + kConsoleOk;
    QStringList commands;
    for (qsizetype i = std::max<qsizetype>(first, 0); i <= last && i + 1 < lines.size(); ++i) {
        const QString& line = lines[i];
        // An outcome line begins with ">>"; a command line with one '>'.
        if (!line.startsWith(kConsolePrompt) || line.startsWith(QStringLiteral(">>"))) continue;
        if (lines[i + 1] != answeredOk) continue;
        const QString command = line.mid(kConsolePrompt.size());
        if (compileProgramLine(command.toStdU32String()).status == CmdStatus::Ok) commands.append(command);
    }
    return commands;
}

} // namespace veltra
