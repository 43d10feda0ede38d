#include "language/WordTopics.h"

#include "compiler/LanguageWords.h"
#include "compiler/LineText.h"
#include "language/ProgramTokens.h"

namespace veltra {

namespace {

using namespace std::string_view_literals;

struct WordTopic {
    std::u32string_view lead; // the word, or the name before an object's number
    std::string_view label;   // the help label that shows the topic
};

// In the order the words are tried: a longer lead before a shorter one that
// begins it. Every keyword of the compiler's table and every word inside a
// command that names something has a row (a test holds this table to the
// compiler's).
constexpr WordTopic kWordTopics[] = {
    {U"переход", "Label9"}, {U"возврат", "Label9"}, {lang::kLabelWords[0], "Label9"},
    {lang::kLabelWords[1], "Label9"}, {U"порт", "Label3"}, {U"пауза", "Label8"},
    {U"реле_", "Label5"}, {U"вм", "Label13"}, {U"ВМ", "Label13"},
    {std::u32string_view(&lang::kVarA, 1), "Label6"}, {std::u32string_view(&lang::kVarB, 1), "Label6"},
    {U"если", "Label10"}, {U"ЕСЛИ", "Label10"}, {lang::kThenWords[0], "Label10"},
    {lang::kThenWords[1], "Label10"}, {U"свд", "Label4"}, {U"ярк", "Label11"},
    {lang::kStoreWord, "Label7"}, {lang::kButtonWord, "Label12"},
};

bool isNumberTail(std::u32string_view rest) {
    for (char32_t c : rest)
        if (!(c >= U'0' && c <= U'9') && c != U'.' && c != U':') return false;
    return true;
}

} // namespace

const HelpTopic* topicOfWord(std::u32string_view word) {
    for (const WordTopic& row : kWordTopics) {
        if (!matchesAt(word, 0, row.lead)) continue;
        // "свд" and "свд_5" are both the LED; "свдх" is no word at all.
        std::u32string_view rest = word.substr(row.lead.size());
        if (!rest.empty() && rest.front() == U'_' && row.lead.back() != U'_') rest.remove_prefix(1);
        if (isNumberTail(rest)) return findLanguageHelpTopic(row.label);
    }
    return nullptr;
}

const HelpTopic* topicAt(const QString& line, int start, int length) {
    const std::vector<Token> tokens = programTokens(line);
    const HelpTopic* owner = nullptr; // of the nearest keyword or object so far
    for (const Token& token : tokens) {
        if (token.start > start) break;
        const bool named = token.kind == TokenKind::Keyword || token.kind == TokenKind::Object ||
                           token.kind == TokenKind::Label;
        const HelpTopic* own = named ? topicOfWord(line.mid(token.start, token.length).toStdU32String()) : nullptr;
        if (own != nullptr) owner = own;
        if (token.start == start && token.length == length)
            return token.kind == TokenKind::Parameter ? owner : own;
    }
    return nullptr;
}

QString topicTitle(const HelpTopic& topic) {
    if (topic.lines.empty()) return {};
    QString title = toQStringList(topic.lines.subspan(0, 1)).front().trimmed();
    while (title.startsWith(QLatin1Char('-')))
        title.remove(0, 1);
    while (title.endsWith(QLatin1Char('-')))
        title.chop(1);
    return title.trimmed();
}

} // namespace veltra
