#pragma once
// A program file's bytes as the editor would hold them: decoded, then cut
// into lines.

#include <string>
#include <string_view>
#include <vector>

namespace veltra {

enum class TextEncoding { Windows1251, Utf8 };

// Decodes `bytes`; false when this Qt cannot decode the encoding at all.
bool decodeProgramText(std::string_view bytes, TextEncoding encoding, std::u32string& text);

// Lines end at CR LF, LF or CR. A line end at the very end of the text does
// not open one more (empty) line.
std::vector<std::u32string> splitLines(std::u32string_view text);

} // namespace veltra
