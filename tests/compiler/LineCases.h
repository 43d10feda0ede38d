#pragma once
// One row of the line tables: a line, the entry it goes through, and the
// record it must give.

#include <cstdint>
#include <ostream>
#include <string_view>

#include "TestText.h"
#include "compiler/CmdRecord.h"

namespace veltra::test {

enum class Mode { Program, Console };

struct LineCase {
    std::u32string_view line;
    Mode mode;
    std::uint16_t word;
    std::uint16_t prefix;
    std::uint8_t label;
    CmdKind kind;
    CmdStatus status;
};

inline void PrintTo(const LineCase& c, std::ostream* os) {
    *os << (c.mode == Mode::Program ? "program «" : "console «") << toUtf8(c.line) << "»";
}

// Short names that keep the tables readable.
constexpr Mode P = Mode::Program;
constexpr Mode C = Mode::Console;
constexpr CmdKind S = CmdKind::Single;
constexpr CmdKind IF = CmdKind::Conditional;
constexpr CmdKind EX = CmdKind::External;
constexpr CmdKind SV = CmdKind::Service;
constexpr CmdStatus OK = CmdStatus::Ok;
constexpr CmdStatus S1 = CmdStatus::BadLineStart;
constexpr CmdStatus S2 = CmdStatus::LineTooLong;
constexpr CmdStatus S3 = CmdStatus::BadCommand;
constexpr CmdStatus S4 = CmdStatus::NoSuchCommand;
constexpr CmdStatus S5 = CmdStatus::BadParameter;
constexpr CmdStatus S7 = CmdStatus::Skip;

// A program line that compiles to one word.
constexpr LineCase word(std::u32string_view line, std::uint16_t w) {
    return {line, P, w, 0, 0, S, OK};
}
// A program line rejected before any composite form began.
constexpr LineCase fails(std::u32string_view line, CmdStatus s) {
    return {line, P, 0, 0, 0, S, s};
}
// A conditional program line: the condition word, then the command's.
constexpr LineCase cond(std::u32string_view line, std::uint16_t prefix, std::uint16_t w, CmdStatus s = OK) {
    return {line, P, w, prefix, 0, IF, s};
}
// An external-module line ("вм").
constexpr LineCase ext(std::u32string_view line, std::uint16_t w, CmdStatus s = OK, Mode m = P) {
    return {line, m, w, 0xD100, 0, EX, s};
}
constexpr LineCase label(std::u32string_view line, std::uint8_t n) {
    return {line, P, 0, 0, n, S, OK};
}
constexpr LineCase console(std::u32string_view line, std::uint16_t w) {
    return {line, C, w, 0, 0, S, OK};
}
constexpr LineCase consoleFails(std::u32string_view line, CmdStatus s) {
    return {line, C, 0, 0, 0, S, s};
}

} // namespace veltra::test
