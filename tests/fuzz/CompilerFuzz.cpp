// libFuzzer target: arbitrary bytes, decoded as Windows-1251 the way
// veltra-check reads a file, go through both line entries and through the
// whole-program build. Besides crashes and sanitizer reports it traps on any
// record or image that breaks the compiler's own promises.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/LineCompiler.h"
#include "compiler/ProgramCheck.h"
#include "tools/veltra-check/SourceLines.h"

namespace {

using veltra::CmdKind;
using veltra::CmdRecord;
using veltra::CmdStatus;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

bool sameRecord(const CmdRecord& a, const CmdRecord& b) {
    return a.word == b.word && a.prefixWord == b.prefixWord && a.label == b.label && a.kind == b.kind &&
           a.status == b.status;
}

bool isConditionWord(std::uint16_t w) {
    switch (w >> 8) {
    case 0x53:
    case 0x54:
    case 0x55:
    case 0x5B:
    case 0x5C:
    case 0x63:
    case 0x74:
    case 0x75:
    case 0x84:
    case 0x85:
        return true;
    default:
        return false;
    }
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
    switch (rec.kind) {
    case CmdKind::Single:
        require(rec.prefixWord == 0);
        break;
    case CmdKind::Conditional:
        require(!console && isConditionWord(rec.prefixWord));
        break;
    case CmdKind::External:
        require(rec.prefixWord == 0xD100);
        break;
    case CmdKind::Service:
        require(console && rec.status == CmdStatus::Ok && (rec.word == 0x30 || rec.word == 0x31));
        break;
    default:
        require(false);
    }
}

unsigned wordsOf(const CmdRecord& rec) {
    switch (rec.kind) {
    case CmdKind::Conditional:
        return (rec.prefixWord != 0) + (rec.word != 0);
    case CmdKind::External:
        return rec.word != 0 ? 2 : 0;
    default:
        return rec.word != 0;
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
    for (const std::u32string& line : lines) {
        const CmdRecord program = veltra::compileProgramLine(line);
        checkRecord(program, false);
        require(sameRecord(program, veltra::compileProgramLine(line))); // no hidden state
        if (program.status != CmdStatus::Ok && program.status != CmdStatus::Skip) lineFailed = true;
        if (!lineFailed) words += wordsOf(program);

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
        for (unsigned i = 0; i < image.count; ++i) {
            if ((image.words[i] & 0xF000) == 0xE000) require((image.words[i] & 0x0FFF) <= image.count);
        }
    } else {
        require(image.count == 0 && report.colour == veltra::MessageColour::Red);
        if (!lineFailed) require(result == 1);
    }
    return 0;
}
