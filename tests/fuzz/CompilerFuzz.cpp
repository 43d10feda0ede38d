// libFuzzer target: arbitrary bytes, decoded as Windows-1251 the way
// veltra-check reads a file, go through both line entries and through the
// whole-program build. Besides crashes and sanitizer reports it traps on any
// record or image that breaks the compiler's own promises, among them that
// every word is one of the instruction table's, of a family the line's mode
// produces.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/InstructionSet.h"
#include "compiler/LineCompiler.h"
#include "compiler/ProgramCheck.h"
#include "files/SourceLines.h"
#include "tests/fuzz/Require.h"
#include "tests/support/LineWords.h"

namespace {

using veltra::CmdKind;
using veltra::CmdRecord;
using veltra::CmdStatus;
using veltra::fuzz::require;
using veltra::test::wordsOfLine;

bool sameRecord(const CmdRecord& a, const CmdRecord& b) {
    return a.word == b.word && a.prefixWord == b.prefixWord && a.label == b.label && a.kind == b.kind &&
           a.status == b.status;
}

namespace isa = veltra::isa;

// A word of the table, of a family that `mode` produces; 0 stands for no word.
void requireWord(std::uint16_t word, isa::Modes mode) {
    if (word == 0) return;
    const isa::Decoded w = isa::decode(word);
    require(w && (w.family->modes & mode) != 0);
}

void checkRecord(const CmdRecord& rec, bool console) {
    switch (rec.status) {
    case CmdStatus::Ok:
    case CmdStatus::BadLineStart:
    case CmdStatus::LineTooLong:
    case CmdStatus::BadCommand:
    case CmdStatus::BadParameter:
    case CmdStatus::Skip:
        break;
    case CmdStatus::NoSuchCommand:
        require(console);
        break;
    default:
        require(false);
    }
    if (rec.status != CmdStatus::Ok) require(rec.word == 0);
    if (rec.status == CmdStatus::Skip)
        require(rec.prefixWord == 0 && rec.label == 0 && rec.kind == CmdKind::Single);
    require(rec.label <= 15);
    const isa::Modes mode = console ? isa::kConsole : isa::kProgram;
    switch (rec.kind) {
    case CmdKind::Single:
        require(rec.prefixWord == 0);
        requireWord(rec.word, mode);
        break;
    case CmdKind::Conditional: {
        const isa::Decoded condition = isa::decode(rec.prefixWord);
        require(!console && condition && condition.family->step == isa::Step::Condition);
        requireWord(rec.word, mode);
        break;
    }
    case CmdKind::External:
        require(rec.prefixWord == isa::word(isa::Family::ModulePrefix));
        requireWord(rec.word, isa::kModule);
        break;
    case CmdKind::Service:
        require(console && rec.status == CmdStatus::Ok && isa::decode(rec.word) &&
                isa::decode(rec.word).family->family == isa::Family::MemoryService);
        break;
    default:
        require(false);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u32string text;
    require(veltra::decodeProgramText(std::string_view(reinterpret_cast<const char*>(data), size),
                                      veltra::TextEncoding::Windows1251, text));
    const std::vector<std::u32string> lines = veltra::splitLines(text);

    // The whole text as one line: its first line end must end it.
    const CmdRecord whole = veltra::compileProgramLine(text);
    checkRecord(whole, false);
    require(sameRecord(whole, veltra::compileProgramLine(lines.empty() ? std::u32string() : lines.front())));

    unsigned words = 0;
    bool lineFailed = false;
    std::vector<unsigned> lineWords; // the words each line lays out
    for (const std::u32string& line : lines) {
        const CmdRecord program = veltra::compileProgramLine(line);
        checkRecord(program, false);
        require(sameRecord(program, veltra::compileProgramLine(line))); // no hidden state
        if (program.status != CmdStatus::Ok && program.status != CmdStatus::Skip) lineFailed = true;
        if (!lineFailed) words += wordsOfLine(program);
        lineWords.push_back(wordsOfLine(program));

        checkRecord(veltra::compileConsoleLine(line), true);
        checkRecord(veltra::compileConsoleLine(U">" + line), true);
    }

    static veltra::ProgramImage image;
    veltra::CheckReport report;
    const int result = veltra::buildProgram(lines, image, report);
    require(result == 0 || result == 1 || result == 2 || result == 3 || result == 5);
    require(!report.message.empty());
    if (result == 0) {
        require(!lineFailed && words == image.count && image.count <= veltra::kMaxProgramWords);
        require(report.colour == veltra::MessageColour::Green);
        // The line map: in line order, and each line named by as many words as it lays out.
        std::vector<unsigned> mapped(lines.size(), 0);
        for (unsigned i = 0; i < image.count; ++i) {
            if ((image.words[i] & isa::kJumpMarkMask) == isa::word(isa::Family::Jump))
                require((image.words[i] & 0x0FFF) <= image.count);
            const int line = image.wordLine[i];
            require(line >= 1 && static_cast<std::size_t>(line) <= lines.size());
            require(i == 0 || image.wordLine[i - 1] <= line);
            ++mapped[static_cast<std::size_t>(line - 1)];
        }
        require(mapped == lineWords);
    } else {
        require(image.count == 0 && report.colour == veltra::MessageColour::Red);
        if (!lineFailed) require(result == 1);
    }
    return 0;
}
