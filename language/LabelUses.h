#pragma once
// Where a program line names a label: the line that defines it ("метка_5:")
// and the jumps to it ("переход метка_5", also after "тогда"). What a line
// defines is what the compiler says it defines; the places are the label
// words of the colouring (programTokens()).

#include <QString>

#include <vector>

namespace veltra {

struct LabelUse {
    int number = 0;       // 1..15, what a jump word can name
    int start = 0;        // the label word "метка_5" (without its ':'), UTF-16 positions in the line
    int length = 0;
    int numberStart = 0;  // its digits
    int numberLength = 0;
    bool definition = false; // the line compiles to the definition of this label
    bool operator==(const LabelUse&) const = default;
};

std::vector<LabelUse> labelUses(const QString& line);

// The label number a new name gives ("метка_7", "МЕТКА_7" or "7"), as the
// compiler reads a label line; 0 when the name is no label.
int labelNumberOfName(const QString& name);

} // namespace veltra
