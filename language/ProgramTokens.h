#pragma once
// How a program line reads for its colouring, in the editor and in the
// language server's semantic tokens alike. The words come from
// the compiler: its dispatch table of command keywords (programKeywords())
// and the words inside commands (compiler/LanguageWords.h), compared exactly
// as the compiler compares them, so that a word is coloured only when the
// compiler knows it. The text itself is only read.

#include <QString>
#include <vector>

namespace veltra {

enum class TokenKind { Keyword, Object, Parameter, Number, Label, Comment };

struct Token {
    int start;
    int length;
    TokenKind kind;
    bool operator==(const Token&) const = default;
};

std::vector<Token> programTokens(const QString& line);

} // namespace veltra
