#include "compiler/ProgramCheck.h"

#include <array>
#include <cstdio>

#include "compiler/InstructionSet.h"
#include "compiler/LineCompiler.h"
#include "compiler/StatusText.h"

namespace veltra {
namespace {

struct Failure {
    int line;
    std::string message;
    int result;
};

template <typename... Args> std::string format(const char* pattern, Args... args) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, pattern, args...);
    return buffer;
}

// The one check. Every error goes to `onError`, which says whether the check
// stops there (returning the failure's result) or goes on looking for more.
// Going on, a failing line is left out, a repeated label keeps its first
// place, and past the word limit no more words are laid out.
template <typename OnError>
int layOut(const std::vector<std::u32string>& lines, ProgramImage& image, OnError&& onError) {
    image.labelAddr.fill(kLabelUndefined);
    image.words.fill(0);
    image.wordLine.fill(0);
    image.count = 0;
    unsigned count = 0; // words laid out so far
    bool full = false;  // the word limit was passed
    int failed = 0;
    const auto fail = [&](Failure failure) {
        if (failed == 0) failed = failure.result;
        return onError(std::move(failure));
    };
    // Where each label is first jumped to, so that a missing label can be
    // reported at a line although it is found only after the last one.
    std::array<int, 16> firstJumpLine{};

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i + 1);
        const CmdRecord rec = compileProgramLine(lines[i]);
        if (rec.status != CmdStatus::Ok && rec.status != CmdStatus::Skip) {
            const int status = static_cast<int>(rec.status);
            if (fail({lineNumber, format("[стр.%3i] ", lineNumber) + statusText(rec.status), status}))
                return status;
            continue;
        }

        // At most two words per line, and nothing is laid out once the limit
        // is passed, so `count` never passes 1002 and stays inside `words`.
        const unsigned before = count;
        if (!full) {
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
        }

        for (unsigned k = before; k < count; ++k) {
            image.wordLine[k] = lineNumber;
            if ((image.words[k] & 0xF000) != 0xE000) continue;
            int& first = firstJumpLine[image.words[k] & 0x000F];
            if (first == 0) first = lineNumber;
        }

        if (rec.word == 0 && rec.label != 0) {
            if (image.labelAddr[rec.label] != kLabelUndefined) {
                if (fail({lineNumber,
                          format("ОШИБКА: [стр.%3i]  метка_%u уже есть !", lineNumber,
                                 static_cast<unsigned>(rec.label)),
                          1}))
                    return 1;
            } else {
                image.labelAddr[rec.label] = static_cast<std::uint16_t>(count);
            }
        }

        if (!full && count > kMaxProgramWords) {
            full = true;
            if (fail({lineNumber, "ОШИБКА: текст программы > 1000 команд !", 1})) return 1;
        }
    }

    // Jumps hold their label number until every label is known.
    constexpr unsigned kJumpWord = isa::word(isa::Family::Jump);
    std::array<bool, 16> reported{};
    for (unsigned i = 0; i < count; ++i) {
        const std::uint16_t word = image.words[i];
        if ((word & isa::kJumpMarkMask) != kJumpWord) continue;
        const unsigned n = word & isa::kJumpLabelMask;
        if (image.labelAddr[n] == kLabelUndefined) {
            if (!reported[n] && fail({firstJumpLine[n], format("ОШИБКА: неверная метка [ %u ] !", n), 1}))
                return 1;
            reported[n] = true;
            continue;
        }
        image.words[i] = static_cast<std::uint16_t>(kJumpWord | (image.labelAddr[n] & isa::kJumpTargetMask));
    }

    if (failed != 0) return failed;
    image.count = static_cast<std::uint16_t>(count);
    return 0;
}

} // namespace

int buildProgram(const std::vector<std::u32string>& lines, ProgramImage& image, CheckReport& report) {
    report.line = 0;
    const int result = layOut(lines, image, [&](Failure failure) {
        report.message = std::move(failure.message);
        report.colour = MessageColour::Red;
        report.line = failure.line;
        return true;
    });
    if (result == 0) {
        report.message = "  >>> без ошибок";
        report.colour = MessageColour::Green;
    }
    return result;
}

std::vector<CheckReport> findProgramErrors(const std::vector<std::u32string>& lines) {
    std::vector<CheckReport> errors;
    ProgramImage scratch;
    layOut(lines, scratch, [&](Failure failure) {
        errors.push_back({std::move(failure.message), MessageColour::Red, failure.line});
        return false;
    });
    return errors;
}

} // namespace veltra
