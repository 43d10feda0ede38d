#pragma once
// Reading a source line. The line is a std::u32string_view with one code point
// per position, so positions are the character positions of the Windows-1251
// text the user wrote. Every read of a line in the compiler goes through
// charAt(): past the end it answers U'\0', as the NUL-terminated buffers the
// language was designed around did, so an encoder may look a few characters
// ahead without checking the length first.

#include <cstddef>
#include <string_view>

namespace veltra {

inline constexpr char32_t charAt(std::u32string_view line, std::size_t pos) noexcept {
    return pos < line.size() ? line[pos] : U'\0';
}

// True when `word` stands at `pos`. `word` never holds U'\0', so a word that
// would run past the end of the line never matches.
inline constexpr bool matchesAt(std::u32string_view line, std::size_t pos,
                                std::u32string_view word) noexcept {
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (charAt(line, pos + i) != word[i]) return false;
    }
    return true;
}

// The same for a literal: its length is known when compiling, so no scan for
// its terminating NUL is made on every call.
template <std::size_t N>
inline constexpr bool matchesAt(std::u32string_view line, std::size_t pos,
                                const char32_t (&word)[N]) noexcept {
    return matchesAt(line, pos, std::u32string_view(word, N - 1));
}

// The part of `text` before its line end: the first NUL, CR or LF.
inline constexpr std::u32string_view lineBody(std::u32string_view text) noexcept {
    std::size_t n = 0;
    while (n < text.size()) {
        const char32_t c = text[n];
        if (c <= U'\r' && (c == U'\0' || c == U'\r' || c == U'\n')) break;
        ++n;
    }
    return text.substr(0, n);
}

} // namespace veltra
