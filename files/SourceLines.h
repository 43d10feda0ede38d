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

// True when `bytes` hold a byte above 0x7F and are valid UTF-8 (a byte-order
// mark counts as such): text any Linux editor writes. Windows-1251 text with
// Cyrillic in it is, in practice, never valid UTF-8 (its letters are all
// 0xC0 and up, and UTF-8 wants 0x80..0xBF after such a byte), so a program
// file that is valid UTF-8 is read as UTF-8.
bool looksLikeUtf8(std::string_view bytes);

// Decodes `bytes`; false when this Qt cannot decode the encoding at all.
bool decodeProgramText(std::string_view bytes, TextEncoding encoding, std::u32string& text);

// Lines end at CR LF, LF or CR. A line end at the very end of the text does
// not open one more (empty) line.
std::vector<std::u32string> splitLines(std::u32string_view text);

} // namespace veltra
