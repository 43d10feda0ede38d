#include "compiler/ProgramCheck.h"

#include <array>
#include <cstdio>

#include "compiler/InstructionSet.h"
#include "compiler/LineCompiler.h"
#include "compiler/StatusText.h"

namespace veltra {
namespace {

int failWith(CheckReport& report, int line, std::string message, int result) {
    report.message = std::move(message);
    report.colour = MessageColour::Red;
    report.line = line;
    return result;
}

template <typename... Args> std::string format(const char* pattern, Args... args) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, pattern, args...);
    return buffer;
}

} // namespace

int buildProgram(const std::vector<std::u32string>& lines, ProgramImage& image, CheckReport& report) {
    image.labelAddr.fill(kLabelUndefined);
    image.words.fill(0);
    image.count = 0;
    unsigned count = 0; // words laid out so far
    report.line = 0;
    // Where each label is first jumped to, so that a missing label can be
    // reported at a line although it is found only after the last one.
    std::array<int, 16> firstJumpLine{};

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i + 1);
        const CmdRecord rec = compileProgramLine(lines[i]);
        if (rec.status != CmdStatus::Ok && rec.status != CmdStatus::Skip) {
            return failWith(report, lineNumber, format("[стр.%3i] ", lineNumber) + statusText(rec.status),
                            static_cast<int>(rec.status));
        }

        // At most two words per line and the limit is checked after every
        // line, so `count` never passes 1002 and stays inside `words`.
        const unsigned before = count;
        switch (rec.kind) {
        case CmdKind::Single:
        case CmdKind::Service:
            if (rec.word != 0) image.words[count++] = rec.word;
            break;
        case CmdKind::Conditional:
            if (rec.prefixWord != 0) image.words[count++] = rec.prefixWord;
            if (rec.word != 0) image.words[count++] = rec.word;
            break;
        case CmdKind::External:
            if (rec.word != 0) {
                image.words[count++] = rec.prefixWord;
                image.words[count++] = rec.word;
            }
            break;
        }

        for (unsigned k = before; k < count; ++k) {
            if ((image.words[k] & 0xF000) != 0xE000) continue;
            int& first = firstJumpLine[image.words[k] & 0x000F];
            if (first == 0) first = lineNumber;
        }

        if (rec.word == 0 && rec.label != 0) {
            if (image.labelAddr[rec.label] != kLabelUndefined) {
                return failWith(report, lineNumber,
                                format("ОШИБКА: [стр.%3i]  метка_%u уже есть !", lineNumber,
                                       static_cast<unsigned>(rec.label)),
                                1);
            }
            image.labelAddr[rec.label] = static_cast<std::uint16_t>(count);
        }

        if (count > kMaxProgramWords)
            return failWith(report, lineNumber, "ОШИБКА: текст программы > 1000 команд !", 1);
    }

    // Jumps hold their label number until every label is known.
    constexpr unsigned kJumpWord = isa::word(isa::Family::Jump);
    for (unsigned i = 0; i < count; ++i) {
        const std::uint16_t word = image.words[i];
        if ((word & isa::kJumpMarkMask) != kJumpWord) continue;
        const unsigned n = word & isa::kJumpLabelMask;
        if (image.labelAddr[n] == kLabelUndefined) {
            return failWith(report, firstJumpLine[n], format("ОШИБКА: неверная метка [ %u ] !", n), 1);
        }
        image.words[i] = static_cast<std::uint16_t>(kJumpWord | (image.labelAddr[n] & isa::kJumpTargetMask));
    }

    image.count = static_cast<std::uint16_t>(count);
    report.message = "  >>> без ошибок";
    report.colour = MessageColour::Green;
    return 0;
}

} // namespace veltra
