#include <optional>

#include "compiler/CmdRecord.h"
#include "compiler/LineCompiler.h"
#include "language/LabelUses.h"
#include "language/ProgramTokens.h"
#include "language/WordTopics.h"
#include "tools/veltra-lsp/Features.h"
#include "tools/veltra-lsp/Labels.h"

namespace veltra::lsp {

namespace {

QString codeBlock(const QStringList& lines) {
    return QStringLiteral("```text\n") + lines.join(QLatin1Char('\n')) + QStringLiteral("\n```");
}

QString topicText(const HelpTopic& topic) {
    QStringList lines = toQStringList(topic.lines);
    while (!lines.isEmpty() && lines.back().trimmed().isEmpty())
        lines.removeLast();
    return codeBlock(lines);
}

bool compiles(const QString& line) {
    return compileProgramLine(line.toStdU32String()).status == CmdStatus::Ok;
}

// "0…15", "1…3, 5": the values the compiler takes in place of the number at
// [start, start + length), found by asking it for each one it could read.
QString acceptedValues(const QString& line, int start, int length) {
    QStringList ranges;
    int from = -1;
    const auto close = [&](int to) {
        if (from < 0) return;
        ranges << (from == to ? QString::number(from) : QStringLiteral("%1…%2").arg(from).arg(to));
        from = -1;
    };
    // parseNumber reads at most three digits.
    for (int value = 0; value <= 999; ++value) {
        QString candidate = line;
        candidate.replace(start, length, QString::number(value));
        if (compiles(candidate)) {
            if (from < 0) from = value;
        } else {
            close(value - 1);
        }
    }
    close(999);
    return ranges.join(QStringLiteral(", "));
}

QString numberText(const QString& line, const Token& token) {
    const QString digits = line.mid(token.start, token.length);
    if (digits.size() > 3) {
        // The compiler reads three digits at most, or the bits of a port.
        const CmdRecord rec = compileProgramLine(line.toStdU32String());
        if (rec.status != CmdStatus::Ok || rec.word == 0) return QStringLiteral("**%1**").arg(digits);
        const QString word = QStringLiteral("%1").arg(rec.word, 4, 16, QLatin1Char('0')).toUpper();
        return QStringLiteral("**%1** — команда 0x%2").arg(digits, word);
    }
    const QString accepted = acceptedValues(line, token.start, token.length);
    const QString value = QStringLiteral("**%1**").arg(digits.toInt());
    return accepted.isEmpty() ? value : value + QStringLiteral(" — допустимо: ") + accepted;
}

std::optional<QString> labelText(const Document& doc, int line, int utf16) {
    const std::optional<DocumentLabelUse> use = labelUseAt(doc, line, utf16);
    if (!use) return std::nullopt;
    const std::optional<DocumentLabelUse> definition = labelDefinition(doc, use->use.number);
    if (!definition) return std::nullopt;
    return QStringLiteral("**метка_%1:** строка %2\n\n").arg(use->use.number).arg(definition->line + 1) +
           codeBlock({doc.lineText(definition->line)});
}

} // namespace

std::optional<Hover> hover(const Document& doc, TextPoint at) {
    if (at.line >= doc.lineCount()) return std::nullopt;
    const QString line = doc.lineText(at.line);
    for (const Token& token : programTokens(line)) {
        if (at.utf16 < token.start || at.utf16 >= token.start + token.length) continue;
        std::optional<QString> text;
        switch (token.kind) {
        case TokenKind::Keyword:
        case TokenKind::Object:
        case TokenKind::Parameter:
            if (const HelpTopic* topic = topicAt(line, token.start, token.length)) text = topicText(*topic);
            break;
        case TokenKind::Number:
            text = numberText(line, token);
            break;
        case TokenKind::Label:
            text = labelText(doc, at.line, at.utf16);
            break;
        case TokenKind::Comment:
            break;
        }
        if (!text) return std::nullopt;
        return Hover{*text, {at.line, token.start, token.start + token.length}};
    }
    return std::nullopt;
}

} // namespace veltra::lsp
