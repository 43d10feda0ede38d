#include "compiler/LineCompiler.h"

#include <array>

#include "compiler/Encoders.h"
#include "compiler/LanguageWords.h"

namespace veltra {
namespace {

// What the character right after a keyword's leading characters may be.
enum class After : std::uint8_t { Any, NotUnderscore };

struct Keyword {
    std::u32string_view lead; // matched at the command's start, code point by code point
    After after;
    Encoder encode;
    Encoder fallback; // run on the same line when `encode` fails ("порт_")
};

// The keyword tables, in matching order: the first entry whose leading
// characters stand at the start wins.
//
// "вм"/"ВМ" stands before "В": after it, the one-letter "В" would take every
// line that begins with "ВМ" and reject it, although users write the module
// prefix in upper case too. No command of the variable В can begin with "ВМ",
// so nothing else moves.
//
// A keyword is at most 8 characters, read up to the first blank or '='. No
// keyword is longer than 7 characters or holds a blank or '=', so testing the
// line itself at the start gives the same answer as testing such a copy.
constexpr Keyword kProgramKeywords[] = {
    {U"переход", After::Any, encodeJump, nullptr},
    {U"возврат", After::Any, encodeReturn, nullptr},
    {U"порт", After::NotUnderscore, encodePortAll, nullptr},
    {U"порт_", After::Any, encodePortBit, encodePort},
    {U"пауза", After::Any, encodePause, nullptr},
    {U"реле_", After::Any, encodeRelay, nullptr},
    {U"А", After::Any, encodeVarA, nullptr},
    {U"вм", After::Any, encodeExternal, nullptr},
    {U"ВМ", After::Any, encodeExternal, nullptr},
    {U"В", After::Any, encodeVarB, nullptr},
    {U"если", After::Any, encodeIf, nullptr},
    {U"ЕСЛИ", After::Any, encodeIf, nullptr},
    {lang::kLabelWords[0], After::Any, encodeLabel, nullptr},
    {lang::kLabelWords[1], After::Any, encodeLabel, nullptr},
    {U"свд_", After::Any, encodeLed, nullptr},
    {U"свд", After::NotUnderscore, encodeLedAll, nullptr},
    {U"ярк_", After::Any, encodeBrightness, nullptr},
    {U"ярк", After::NotUnderscore, encodeBrightnessAll, nullptr},
    {lang::kStoreWord, After::Any, encodeStore, nullptr},
};

// The console takes the commands the board can run at once, plus "ППЗУ".
constexpr Keyword kConsoleKeywords[] = {
    {U"порт", After::NotUnderscore, encodePortAll, nullptr},
    {U"порт_", After::Any, encodePortBit, encodePort},
    {U"реле_", After::Any, encodeRelay, nullptr},
    {U"А", After::Any, encodeVarA, nullptr},
    {U"вм", After::Any, encodeExternal, nullptr},
    {U"ВМ", After::Any, encodeExternal, nullptr},
    {U"В", After::Any, encodeVarB, nullptr},
    {U"свд_", After::Any, encodeLed, nullptr},
    {U"свд", After::NotUnderscore, encodeLedAll, nullptr},
    {U"ярк_", After::Any, encodeBrightness, nullptr},
    {U"ярк", After::NotUnderscore, encodeBrightnessAll, nullptr},
    {U"ППЗУ", After::Any, encodeEeprom, nullptr},
};

template <std::size_t N> constexpr auto leadsOf(const Keyword (&table)[N]) {
    std::array<std::u32string_view, N> leads{};
    for (std::size_t i = 0; i < N; ++i)
        leads[i] = table[i].lead;
    return leads;
}

constexpr auto kProgramKeywordLeads = leadsOf(kProgramKeywords);

// Every keyword begins with a Cyrillic letter, А (U+0410) to я (U+044F).
constexpr char32_t kFirstLetter = U'А';
constexpr std::size_t kLetters = 64;

// A keyword table with, worked out when compiling, the chain of entries that
// begin with each letter, in table order: a line is tested only against the
// keywords that can match it, and the first match still wins.
template <std::size_t N> struct KeywordIndex {
    static_assert(N < 255);
    const Keyword* entries = nullptr;
    std::array<std::uint8_t, kLetters> first{}; // per letter: first entry, N = none
    std::array<std::uint8_t, N> next{};         // per entry: next entry with its letter, N = none
};

template <std::size_t N> constexpr KeywordIndex<N> indexKeywords(const Keyword (&table)[N]) {
    KeywordIndex<N> index;
    index.entries = table;
    index.first.fill(N);
    index.next.fill(N);
    for (std::size_t i = N; i-- > 0;) {
        const char32_t c = table[i].lead.front();
        if (c < kFirstLetter || c >= kFirstLetter + kLetters)
            throw "a keyword must begin with a Cyrillic letter";
        const std::size_t letter = c - kFirstLetter;
        index.next[i] = index.first[letter];
        index.first[letter] = static_cast<std::uint8_t>(i);
    }
    return index;
}

constexpr auto kProgramIndex = indexKeywords(kProgramKeywords);
constexpr auto kConsoleIndex = indexKeywords(kConsoleKeywords);

template <std::size_t N>
void dispatch(const KeywordIndex<N>& index, std::u32string_view line, std::size_t start, CmdRecord& rec,
              CmdStatus noMatch) {
    rec.status = noMatch;
    const char32_t first = charAt(line, start);
    if (first < kFirstLetter || first >= kFirstLetter + kLetters) return;
    for (std::size_t i = index.first[first - kFirstLetter]; i < N; i = index.next[i]) {
        const Keyword& k = index.entries[i];
        if (!matchesAt(line, start, k.lead)) continue;
        if (k.after == After::NotUnderscore && charAt(line, start + k.lead.size()) == U'_') continue;
        if (!k.encode(line, start, rec) && k.fallback != nullptr) k.fallback(line, start, rec);
        return;
    }
}

// Leading tabs and blanks are stepped over, but never the line's last
// character: a line of blanks only starts at its last blank (and is then
// rejected as an unknown command).
std::size_t commandStart(std::u32string_view line, std::size_t pos) {
    while (pos + 1 < line.size() && (charAt(line, pos) == U' ' || charAt(line, pos) == U'\t'))
        ++pos;
    return pos;
}

bool isExternalAt(std::u32string_view line, std::size_t pos) {
    return matchesAt(line, pos, U"вм") || matchesAt(line, pos, U"ВМ");
}

// The "вм" form: the command at `pos` compiled to the module prefix; the
// forwarded command is compiled with the program table in both modes.
void wrapExternal(std::u32string_view line, std::size_t pos, bool conditional, CmdRecord& rec) {
    if (rec.status != CmdStatus::Ok || !isExternalAt(line, pos)) return;
    if (conditional) {
        // The condition and the module prefix would share the one prefix
        // slot and the condition would be lost: refuse the line instead.
        rec.word = 0;
        rec.status = CmdStatus::BadCommand;
        return;
    }
    rec.prefixWord = rec.word;
    rec.word = 0;
    rec.kind = CmdKind::External;
    dispatchProgramKeyword(line, rec.rest, rec);
}

CmdRecord withStatus(CmdStatus status) {
    CmdRecord rec;
    rec.status = status;
    return rec;
}

} // namespace

void dispatchProgramKeyword(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    dispatch(kProgramIndex, line, start, rec, CmdStatus::BadCommand);
}

void dispatchConsoleKeyword(std::u32string_view line, std::size_t start, CmdRecord& rec) {
    dispatch(kConsoleIndex, line, start, rec, CmdStatus::NoSuchCommand);
}

std::span<const std::u32string_view> programKeywords() {
    return kProgramKeywordLeads;
}

CmdRecord compileProgramLine(std::u32string_view text) {
    const std::u32string_view line = lineBody(text);
    if (charAt(line, 0) == U'/' && charAt(line, 1) != U'/') return withStatus(CmdStatus::BadLineStart);
    if (charAt(line, 0) == U'/' || line.empty()) return withStatus(CmdStatus::Skip); // "//" comment
    if (line.size() > kMaxLineLength) return withStatus(CmdStatus::LineTooLong);

    CmdRecord rec;
    const std::size_t start = commandStart(line, 0);
    dispatchProgramKeyword(line, start, rec);

    std::size_t command = start;
    bool conditional = false;
    if (rec.status == CmdStatus::Ok && (matchesAt(line, start, U"если") || matchesAt(line, start, U"ЕСЛИ"))) {
        // "если УСЛОВИЕ тогда КОМАНДА": the condition word goes first.
        conditional = true;
        rec.prefixWord = rec.word;
        rec.word = 0;
        rec.kind = CmdKind::Conditional;
        const std::size_t pos = enc::skipBlanks(line, rec.rest, 2);
        if (charAt(line, pos) == U' ' || !lang::anyAt(line, pos, lang::kThenWords)) {
            rec.status = CmdStatus::BadParameter;
            return rec;
        }
        command = enc::skipBlanks(line, pos + lang::kThenWords[0].size(), 2);
        dispatchProgramKeyword(line, command, rec);
    }
    wrapExternal(line, command, conditional, rec);
    return rec;
}

CmdRecord compileConsoleLine(std::u32string_view text) {
    const std::u32string_view line = lineBody(text);
    if (charAt(line, 0) != U'>') return withStatus(CmdStatus::BadLineStart);
    if (line.size() - 1 > kMaxLineLength) return withStatus(CmdStatus::LineTooLong);
    if (line.size() == 1) return withStatus(CmdStatus::Skip);

    CmdRecord rec;
    const std::size_t start = commandStart(line, 1);
    dispatchConsoleKeyword(line, start, rec);
    wrapExternal(line, start, false, rec);
    return rec;
}

std::int16_t parseNumber(std::u32string_view line, std::size_t pos) {
    if (charAt(line, pos) == U' ') {
        ++pos;
        if (charAt(line, pos) == U' ') return -1;
    }
    const int d0 = digitValue(charAt(line, pos));
    const int d1 = digitValue(charAt(line, pos + 1));
    const int d2 = digitValue(charAt(line, pos + 2));
    if (d0 >= 1 && d1 < 0 && d2 >= 0) return -1; // "5,5": a number broken by one character
    if (d0 < 0) return -1;
    if (d1 < 0) return static_cast<std::int16_t>(d0);
    if (d2 < 0) return static_cast<std::int16_t>(d0 * 10 + d1);
    return static_cast<std::int16_t>(d0 * 100 + d1 * 10 + d2);
}

int digitValue(char32_t c) {
    return (c >= U'0' && c <= U'9') ? static_cast<int>(c - U'0') : -1;
}

} // namespace veltra
