#pragma once
// The words that stand inside a command, named once: the encoders read the
// language with them, and whatever shows the language (the editor's
// colouring) takes them from here, so the two never disagree. The command
// keywords themselves are the line compiler's dispatch tables
// (programKeywords() in compiler/LineCompiler.h).

#include <span>
#include <string_view>

#include "compiler/LineText.h"

namespace veltra::lang {

// Switch values, in either case.
inline constexpr std::u32string_view kOnWords[] = {U"вкл", U"ВКЛ"};
inline constexpr std::u32string_view kOffWords[] = {U"выкл", U"ВЫКЛ"};

// "если УСЛОВИЕ тогда КОМАНДА".
inline constexpr std::u32string_view kThenWords[] = {U"тогда", U"ТОГДА"};

// A label's name before its number: "метка_5:" defines it, "переход метка_5" jumps to it.
inline constexpr std::u32string_view kLabelWords[] = {U"метка_", U"МЕТКА_"};

// A button in a condition, before its number: "кн_1==вкл".
inline constexpr std::u32string_view kButtonWord = U"кн_";

// A store in a value, before its number: "порт = сохр_1".
inline constexpr std::u32string_view kStoreWord = U"сохр_";

// What the console's "ППЗУ = ..." asks the board's memory to do.
inline constexpr std::u32string_view kMemoryWriteWord = U"записать";
inline constexpr std::u32string_view kMemoryEraseWord = U"стереть";

// The two byte variables.
inline constexpr char32_t kVarA = U'А';
inline constexpr char32_t kVarB = U'В';

// An LED's colour letters; the index is the colour code.
struct ColourLetter {
    char32_t lower;
    char32_t upper;
};
inline constexpr ColourLetter kColourLetters[] = {
    {U'ч', U'Ч'}, {U'к', U'К'}, {U'з', U'З'}, {U'с', U'С'}, {U'ж', U'Ж'},
    {U'г', U'Г'}, {U'п', U'П'}, {U'ф', U'Ф'}, {U'б', U'Б'},
};

// True when one of `words` stands at `pos`.
inline bool anyAt(std::u32string_view line, std::size_t pos, std::span<const std::u32string_view> words) {
    for (std::u32string_view word : words) {
        if (matchesAt(line, pos, word)) return true;
    }
    return false;
}

} // namespace veltra::lang
