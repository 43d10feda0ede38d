#include "language/LabelUses.h"

#include "compiler/CmdRecord.h"
#include "compiler/InstructionSet.h"
#include "compiler/LanguageWords.h"
#include "compiler/LineCompiler.h"
#include "language/ProgramTokens.h"

namespace veltra {

namespace {

const int kLabelWordLength = static_cast<int>(lang::kLabelWords[0].size());

// The label a line "метка_N:" defines, as the compiler reads it; 0 for none.
int definedLabel(std::u32string_view line) {
    const CmdRecord rec = compileProgramLine(line);
    return rec.status == CmdStatus::Ok && rec.word == 0 ? rec.label : 0;
}

} // namespace

std::vector<LabelUse> labelUses(const QString& line) {
    std::vector<LabelUse> uses;
    int defined = -1; // not compiled yet
    bool definitionSeen = false;
    for (const Token& token : programTokens(line)) {
        if (token.kind != TokenKind::Label) continue;
        int digits = 0;
        while (kLabelWordLength + digits < token.length &&
               digitValue(line[token.start + kLabelWordLength + digits].unicode()) >= 0)
            ++digits;
        if (digits == 0) continue;
        const std::u32string word = line.mid(token.start, kLabelWordLength + digits).toStdU32String();
        const int number = parseNumber(word, static_cast<std::size_t>(kLabelWordLength));
        // Three digits or more are never a label the compiler would take as written.
        if (number < 1 || number > int(isa::kJumpLabelMask) || digits > 2) continue;
        if (defined < 0) defined = definedLabel(line.toStdU32String());
        // A definition line defines with its first label word; whatever
        // follows it is never compiled.
        const bool definition = !definitionSeen && defined == number;
        definitionSeen = definitionSeen || definition;
        uses.push_back({number, token.start, kLabelWordLength + digits, token.start + kLabelWordLength, digits,
                        definition});
    }
    return uses;
}

int labelNumberOfName(const QString& name) {
    QString text = name.trimmed();
    bool digitsOnly = !text.isEmpty();
    for (QChar c : text)
        digitsOnly = digitsOnly && c.isDigit();
    if (digitsOnly) text.prepend(QString::fromStdU32String(std::u32string(lang::kLabelWords[0])));
    return definedLabel((text + QLatin1Char(':')).toStdU32String());
}

} // namespace veltra
