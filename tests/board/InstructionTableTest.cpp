// The compiler and the board share one instruction table; these tests hold
// the two sides and the table's text forms and modes to each other.

#include <gtest/gtest.h>

#include <QString>

#include <set>
#include <string>

#include "board/CommandWords.h"
#include "board/WordText.h"
#include "compiler/InstructionSet.h"
#include "compiler/LineCompiler.h"

namespace veltra {
namespace {

using isa::Family;

std::u32string u32(const std::string& utf8) {
    return QString::fromStdString(utf8).toStdU32String();
}

// Words whose text the language writes with another word of the same effect.
std::uint16_t languageWordFor(std::uint16_t word) {
    if (word == isa::word(Family::VarAEquals, 0, 0)) return isa::word(Family::VarAIsZero);
    if (word == isa::word(Family::VarBEquals, 0, 0)) return isa::word(Family::VarBIsZero);
    return word;
}

TEST(InstructionTable, EveryWordTheBoardRunsReadsBackAsALineForThatWordInTheModesOfItsFamily) {
    std::set<Family> readBack;
    for (unsigned w = 0; w <= 0xFFFF; ++w) {
        const auto word = static_cast<std::uint16_t>(w);
        const std::optional<isa::Step> step = classifyWord(word);
        if (!step) continue;
        const isa::WordFamily& family = *isa::decode(word).family;
        const std::string text = describeWord(word);
        ASSERT_EQ(text.find_first_of("{}?"), std::string::npos) << std::hex << w << " " << text;

        // A condition is a line with a command after it.
        const bool condition = step == isa::Step::Condition;
        const std::string line = text + (condition ? " тогда возврат" : "");
        const CmdRecord program = compileProgramLine(u32(line));
        if (program.status != CmdStatus::Ok) continue; // a form only the board shows ("пауза 700 мс")
        readBack.insert(family.family);
        EXPECT_EQ(condition ? program.prefixWord : program.word, languageWordFor(word)) << text;

        const CmdRecord console = compileConsoleLine(u32(">" + line));
        EXPECT_EQ(console.status == CmdStatus::Ok, (family.modes & isa::kConsole) != 0) << text;
        if (console.status == CmdStatus::Ok) {
            EXPECT_EQ(console.word, word) << text;
        }

        const CmdRecord module = compileProgramLine(u32("вм " + line));
        EXPECT_EQ(module.kind == CmdKind::External && module.word == languageWordFor(word),
                  (family.modes & isa::kModule) != 0)
            << text;
    }
    // Every family has a line, but the jump (a label in the language, an
    // index on the board), the module prefix (never alone) and the memory
    // requests (never on the board).
    for (const isa::WordFamily& f : isa::kWordFamilies) {
        const bool boardOnly =
            f.family == Family::Jump || f.family == Family::ModulePrefix || f.family == Family::MemoryService;
        EXPECT_EQ(readBack.count(f.family), boardOnly ? 0u : 1u) << f.text;
    }
}

} // namespace
} // namespace veltra
