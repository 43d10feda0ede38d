#pragma once
// The line compiler: one source line in, one CmdRecord out.
//
// Lines are std::u32string_view, one code point per position; Cyrillic letters
// are compared as their Unicode code points (U'А' is U+0410, never Latin 'A').
// Nothing here throws or allocates: every failure is a status in the record.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "compiler/CmdRecord.h"

namespace veltra {

// Longest text a line may hold before its end (program line, or what follows
// the '>' of a console line).
constexpr std::size_t kMaxLineLength = 127;

// A program line of the editor, without its line end (a CR, LF or NUL inside
// `line` ends it there).
CmdRecord compileProgramLine(std::u32string_view line);

// A console line; it must begin with '>'.
CmdRecord compileConsoleLine(std::u32string_view line);

// Read the keyword at `start`, run its encoder and leave the result in `rec`.
// With no matching keyword the status is BadCommand (program) or
// NoSuchCommand (console).
void dispatchProgramKeyword(std::u32string_view line, std::size_t start, CmdRecord& rec);
void dispatchConsoleKeyword(std::u32string_view line, std::size_t start, CmdRecord& rec);

// The command keywords of a program line, in matching order: the very table
// the line compiler dispatches on, as plain data, for whatever shows the
// language. A keyword that ends in '_' is followed by an object's number.
std::span<const std::u32string_view> programKeywords();

// The language's one reader of decimal numbers: one to three digits at `pos`
// (one blank before them is stepped over), or -1.
std::int16_t parseNumber(std::u32string_view line, std::size_t pos);

// 0..9 for '0'..'9', -1 for anything else.
int digitValue(char32_t c);

} // namespace veltra
