#include "language/ProgramTokens.h"

#include <algorithm>
#include <optional>
#include <span>

#include "compiler/CmdRecord.h"
#include "compiler/LanguageWords.h"
#include "compiler/LineCompiler.h"

namespace veltra {

namespace {

bool isWordChar(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool among(std::u32string_view word, std::span<const std::u32string_view> words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool isColourLetter(std::u32string_view word) {
    if (word.size() != 1) return false;
    for (const lang::ColourLetter& letter : lang::kColourLetters) {
        if (word[0] == letter.lower || word[0] == letter.upper) return true;
    }
    return false;
}

// What a whole word is; nothing when the language does not know it.
std::optional<TokenKind> kindOfWord(std::u32string_view word) {
    if (among(word, lang::kLabelWords)) return TokenKind::Label;
    if (word == lang::kButtonWord || word == std::u32string_view(&lang::kVarA, 1) ||
        word == std::u32string_view(&lang::kVarB, 1))
        return TokenKind::Object;
    if (among(word, lang::kThenWords)) return TokenKind::Keyword;
    if (among(word, programKeywords())) return word.back() == U'_' ? TokenKind::Object : TokenKind::Keyword;
    if (among(word, lang::kOnWords) || among(word, lang::kOffWords) || word == lang::kMemoryWriteWord ||
        word == lang::kMemoryEraseWord || isColourLetter(word))
        return TokenKind::Parameter;
    return std::nullopt;
}

// The number after an object's or a label's name belongs to the name, with
// the bit of "порт_1.3" and the colon of "метка_5:".
int nameTail(const QString& line, int pos, TokenKind kind) {
    int end = pos;
    while (end < line.size() && isDigit(line[end]))
        ++end;
    if (end == pos) return pos;
    if (kind == TokenKind::Object && end + 1 < line.size() && line[end] == QLatin1Char('.') &&
        isDigit(line[end + 1]))
        end += 2;
    if (kind == TokenKind::Label && end < line.size() && line[end] == QLatin1Char(':')) ++end;
    return end;
}

} // namespace

std::vector<Token> programTokens(const QString& line) {
    const std::u32string text = line.toStdU32String();
    // A comment is what the compiler skips although it is not empty.
    if (!text.empty() && compileProgramLine(text).status == CmdStatus::Skip)
        return {Token{0, int(line.size()), TokenKind::Comment}};

    std::vector<Token> tokens;
    int pos = 0;
    while (pos < line.size()) {
        const QChar c = line[pos];
        if (isDigit(c)) {
            int end = pos;
            while (end < line.size() && isDigit(line[end]))
                ++end;
            tokens.push_back({pos, end - pos, TokenKind::Number});
            pos = end;
        } else if (isWordChar(c)) {
            int end = pos;
            while (end < line.size() && isWordChar(line[end]))
                ++end;
            const std::u32string word = line.mid(pos, end - pos).toStdU32String();
            if (auto kind = kindOfWord(word)) {
                if (*kind == TokenKind::Object || *kind == TokenKind::Label) end = nameTail(line, end, *kind);
                tokens.push_back({pos, end - pos, *kind});
            }
            pos = end;
        } else {
            ++pos;
        }
    }
    return tokens;
}

} // namespace veltra
