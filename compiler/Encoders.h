#pragma once
// The command encoders and the small readers they share. Internal to the
// compiler (the tests use it too).
//
// An encoder is a function of the line and the command's start: `start` is the
// position of the command's first letter, and every position an encoder names
// is counted from there. On success it sets `word` (and where its command has
// them `label`, `rest`, `kind`) and status Ok and returns true; on failure it
// sets `word` to 0 and the status and returns false.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compiler/CmdRecord.h"
#include "compiler/LanguageWords.h"
#include "compiler/LineCompiler.h"
#include "compiler/LineText.h"

namespace veltra {

using Encoder = bool (*)(std::u32string_view line, std::size_t start, CmdRecord& rec);

// Object commands.
bool encodeLed(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeLedAll(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodePortAll(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodePortBit(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodePort(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeRelay(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeBrightness(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeBrightnessAll(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeStore(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeExternal(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeEeprom(std::u32string_view line, std::size_t start, CmdRecord& rec);

// Control commands.
bool encodePause(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeVarA(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeVarB(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeIf(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeJump(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeReturn(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeLabel(std::u32string_view line, std::size_t start, CmdRecord& rec);

// Conditions of "если"; `start` is the position of "кн_", "А" or "В".
bool encodeButtonTest(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeVarATest(std::u32string_view line, std::size_t start, CmdRecord& rec);
bool encodeVarBTest(std::u32string_view line, std::size_t start, CmdRecord& rec);

namespace enc {

inline bool fail(CmdRecord& rec, CmdStatus status) {
    rec.word = 0;
    rec.status = status;
    return false;
}

inline bool succeed(CmdRecord& rec, unsigned word) {
    rec.word = static_cast<std::uint16_t>(word);
    rec.status = CmdStatus::Ok;
    return true;
}

// Steps over at most `most` blanks at `pos` and returns the position after them.
inline std::size_t skipBlanks(std::u32string_view line, std::size_t pos, int most) {
    for (int i = 0; i < most && charAt(line, pos) == U' '; ++i)
        ++pos;
    return pos;
}

constexpr std::size_t kNoPos = std::u32string_view::npos;

// "Position p must be '=' or a blank followed by '='": the position after the
// '=', or kNoPos when the form is wrong.
inline std::size_t afterEquals(std::u32string_view line, std::size_t pos) {
    if (charAt(line, pos) == U'=') return pos + 1;
    if (charAt(line, pos) == U' ' && charAt(line, pos + 1) == U'=') return pos + 2;
    return kNoPos;
}

enum class Switch { None, On, Off };

// "вкл"/"ВКЛ" and "выкл"/"ВЫКЛ", compared on their letters only.
inline Switch onOffAt(std::u32string_view line, std::size_t pos) {
    if (lang::anyAt(line, pos, lang::kOnWords)) return Switch::On;
    if (lang::anyAt(line, pos, lang::kOffWords)) return Switch::Off;
    return Switch::None;
}

// "сохр_1" -> 1, "сохр_2" -> 2, anything else 0.
inline int storeAt(std::u32string_view line, std::size_t pos) {
    if (!matchesAt(line, pos, lang::kStoreWord)) return 0;
    const char32_t digit = charAt(line, pos + lang::kStoreWord.size());
    return digit == U'1' ? 1 : digit == U'2' ? 2 : 0;
}

inline bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace enc
} // namespace veltra
