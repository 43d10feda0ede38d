#pragma once
// A program file's bytes as the editor would hold them: read with a bound,
// decoded, then cut into lines.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

enum class TextEncoding { Windows1251, Utf8 };

// A program of 1000 words fits in a few tens of kilobytes; anything past this
// is not a program (or is /dev/zero) and is refused before it costs memory.
constexpr std::size_t kMaxProgramFileBytes = std::size_t(16) << 20;

// Reads the whole of `path` ("-" is standard input) into `bytes`, never
// holding more than kMaxProgramFileBytes + 1 bytes. False with `error` set
// ("cannot open PATH: reason", "cannot read ...", "PATH is larger than 16 MiB ...").
bool readProgramBytes(const std::string& path, std::string& bytes, std::string& error);

// Decodes `bytes`; false when this Qt cannot decode the encoding at all.
bool decodeProgramText(std::string_view bytes, TextEncoding encoding, std::u32string& text);

// Lines end at CR LF, LF or CR. A line end at the very end of the text does
// not open one more (empty) line.
std::vector<std::u32string> splitLines(std::u32string_view text);

} // namespace veltra
