#pragma once
// The whole-program check: compiles every line, lays the words out (noting
// the source line of each), resolves the jumps and says what the status line
// under the editor must show.

#include <string>
#include <vector>

#include "compiler/ProgramImage.h"

namespace veltra {

enum class MessageColour { Black, Red, Green };

struct CheckReport {
    std::string message; // UTF-8, exactly as the status line shows it
    MessageColour colour = MessageColour::Black;
    // 1-based line the error belongs to: the failing line, the repeated label,
    // the line that passed the word limit, or the first jump to a missing
    // label. 0 on success.
    int line = 0;
};

// Returns 0 when the text compiled and `image` is ready; otherwise the failing
// line's status (1, 2, 3 or 5), or 1 for the label and limit errors.
int buildProgram(const std::vector<std::u32string>& lines, ProgramImage& image, CheckReport& report);

// Every error of the text, in the order the check meets them, each with the
// message the status line would show: each line that does not compile, each
// repeated label, the word limit once, and each missing label once (at its
// first jump). The first is exactly what buildProgram reports; the others
// are what it would find once the earlier ones were mended (a failing line
// adds no words and defines no label, so a jump to it shows up too).
std::vector<CheckReport> findProgramErrors(const std::vector<std::u32string>& lines);

} // namespace veltra
