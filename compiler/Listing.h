#pragma once
// One row of the compiled program's listing, as an assembler listing shows
// it: the word's index, the word in hex and the source line it came from;
// the line's text follows at the line's first word.

#include <cstdint>
#include <cstdio>
#include <string>

namespace veltra {

inline std::string listingHead(std::size_t index, std::uint16_t word, int line) {
    char head[64]; // room for any index and line, so nothing is cut
    std::snprintf(head, sizeof head, "%4zu  %04X  %5d", index, word, line);
    return head;
}

} // namespace veltra
