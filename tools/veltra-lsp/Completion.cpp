#include <algorithm>
#include <string>
#include <vector>

#include "compiler/CmdRecord.h"
#include "compiler/LanguageWords.h"
#include "compiler/LineCompiler.h"
#include "language/ProgramTokens.h"
#include "language/WordTopics.h"
#include "tools/veltra-lsp/Features.h"
#include "tools/veltra-lsp/Labels.h"

namespace veltra::lsp {

namespace {

// The highest object number tried after a name such as "свд_"; the compiler
// decides which of them it takes.
constexpr int kMaxObjectNumber = 15;

struct Word {
    std::u32string text;
    CompletionKind kind;
    QString detail;
};

QString qs(std::u32string_view text) {
    return QString::fromStdU32String(std::u32string(text));
}

std::u32string u32(const char16_t* text) {
    return QString::fromUtf16(text).toStdU32String();
}

QString detailOf(std::u32string_view word) {
    const HelpTopic* topic = topicOfWord(word);
    return topic != nullptr ? topicTitle(*topic) : QString();
}

// What the language has words for: the keywords and objects of the
// compiler's table, the button, the words inside commands. Which of them may
// stand at a place is left to the compiler.
const std::vector<Word>& languageWords() {
    static const std::vector<Word> words = [] {
        std::vector<Word> list;
        std::vector<QString> seen;
        const auto addNamed = [&](std::u32string_view lead) {
            // "ЕСЛИ", "ВМ", "МЕТКА_": the upper-case twins are the same word.
            const QString lower = qs(lead).toLower();
            if (std::find(seen.begin(), seen.end(), lower) != seen.end()) return;
            seen.push_back(lower);
            const bool isLabel = lead == lang::kLabelWords[0];
            if (lead.back() != U'_' || isLabel) {
                const bool object = lead.size() == 1; // А, В
                list.push_back({std::u32string(lead),
                                object ? CompletionKind::Variable : CompletionKind::Keyword, detailOf(lead)});
                return;
            }
            for (int n = 1; n <= kMaxObjectNumber; ++n) {
                std::u32string name(lead);
                name += QString::number(n).toStdU32String();
                list.push_back({name, CompletionKind::Variable, detailOf(name)});
            }
        };
        for (std::u32string_view lead : programKeywords())
            addNamed(lead);
        addNamed(lang::kButtonWord);
        list.push_back(
            {std::u32string(lang::kThenWords[0]), CompletionKind::Keyword, detailOf(lang::kThenWords[0])});
        list.push_back(
            {std::u32string(lang::kOnWords[0]), CompletionKind::Value, QStringLiteral("включить")});
        list.push_back(
            {std::u32string(lang::kOffWords[0]), CompletionKind::Value, QStringLiteral("выключить")});
        // The colours as the language help names them, by colour code.
        static const char16_t* const kColourNames[] = {u"черный", u"красный", u"зеленый",    u"синий", u"желтый",
                                                       u"голубой", u"цвет 6", u"фиолетовый", u"белый"};
        static_assert(std::size(kColourNames) == std::size(lang::kColourLetters));
        for (std::size_t code = 0; code < std::size(lang::kColourLetters); ++code)
            list.push_back({std::u32string(1, lang::kColourLetters[code].lower), CompletionKind::Value,
                            QStringLiteral("цвет: ") + QString::fromUtf16(kColourNames[code])});
        return list;
    }();
    return words;
}

// Ways a line may go on after a word, from its shortest end to a whole
// condition. A word fits where one of them, with or without the command of
// a condition after it, makes the line one the compiler takes.
const std::vector<std::u32string>& continuations() {
    static const std::vector<std::u32string> tails = [] {
        std::vector<std::u32string> list;
        for (const char16_t* tail : {u"", u" = вкл", u" = 1", u" = А", u"=1", u",1", u",В", u" метка_1",
                                     u" свд = вкл", u" А>1", u"1:", u"==вкл", u">1", u"+1", u" возврат"})
            list.push_back(u32(tail));
        return list;
    }();
    return tails;
}

bool sameRecord(const CmdRecord& a, const CmdRecord& b) {
    return a.status == b.status && a.word == b.word && a.prefixWord == b.prefixWord && a.label == b.label;
}

// A word fits when the compiler takes the line with it and reads it to its
// last character: "свд = переход" compiles (the colour п, the rest unread),
// yet "переход" is no value of an LED.
bool fits(const std::u32string& before, const std::u32string& word) {
    static const std::u32string kThen = u32(u" тогда возврат");
    std::u32string line;
    for (const std::u32string& tail : continuations()) {
        for (bool then : {false, true}) {
            line = before;
            line += word;
            line += tail;
            if (then) line += kThen;
            const CmdRecord rec = compileProgramLine(line);
            if (rec.status != CmdStatus::Ok) continue;
            line[before.size() + word.size() - 1] = U'#';
            if (!sameRecord(rec, compileProgramLine(line))) return true;
        }
    }
    return false;
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

std::vector<CompletionItem> completion(const Document& doc, TextPoint at) {
    std::vector<CompletionItem> items;
    if (at.line >= doc.lineCount()) return items;
    const QString line = doc.lineText(at.line);
    for (const Token& token : programTokens(line))
        if (token.kind == TokenKind::Comment) return items;
    int start = at.utf16;
    while (start > 0 && isWordChar(line[start - 1]))
        --start;
    const std::u32string before = line.left(start).toStdU32String();
    const LineSpan replaced{at.line, start, at.utf16};

    const auto offer = [&](const std::u32string& word, CompletionKind kind, const QString& detail) {
        if (fits(before, word)) items.push_back({QString::fromStdU32String(word), kind, detail, replaced});
    };
    for (const Word& word : languageWords())
        offer(word.text, word.kind, word.detail);
    // The labels this program defines, where a jump may name them.
    std::vector<int> offered;
    for (const DocumentLabelUse& use : documentLabelUses(doc)) {
        if (!use.use.definition || std::find(offered.begin(), offered.end(), use.use.number) != offered.end())
            continue;
        offered.push_back(use.use.number);
        offer(doc.line(use.line).mid(use.use.start, use.use.length).toString().toStdU32String(),
              CompletionKind::Reference, QStringLiteral("строка %1").arg(use.line + 1));
    }
    return items;
}

} // namespace veltra::lsp
