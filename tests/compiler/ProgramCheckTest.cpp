// The whole-program build: layout, labels, jumps, the word limit, the error
// order and the exact status-line messages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/ProgramCheck.h"
#include "compiler/StatusText.h"

namespace veltra::test {
namespace {

using Lines = std::vector<std::u32string>;

struct Checked {
    int result;
    ProgramImage image;
    CheckReport report;
    std::vector<std::uint16_t> words() const {
        return {image.words.begin(), image.words.begin() + image.count};
    }
};

Checked check(const Lines& lines) {
    Checked c{};
    c.result = buildProgram(lines, c.image, c.report);
    return c;
}

void expectSuccess(const Checked& c) {
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.report.message, "  >>> без ошибок");
    EXPECT_EQ(c.report.colour, MessageColour::Green);
}

void expectFailure(const Checked& c, int result, const std::string& message) {
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.report.message, message);
    EXPECT_EQ(c.report.colour, MessageColour::Red);
    EXPECT_EQ(c.image.count, 0);
}

Lines repeat(const std::u32string& line, std::size_t times) {
    return Lines(times, line);
}

TEST(BuildProgram, EmptyTextChecksWithoutAProgram) {
    for (const Lines& lines : {Lines{}, Lines{U""}, Lines{U"// пример", U"//", U""}}) {
        const Checked c = check(lines);
        expectSuccess(c);
        EXPECT_EQ(c.image.count, 0);
    }
}

TEST(BuildProgram, LineErrorNamesTheLine) {
    expectFailure(check({U"свд=б", U"", U"свд_1 = х"}), 5, "[стр.  3] ОШИБКА: параметр команды");

    Lines twelve = repeat(U"пауза", 11);
    twelve.push_back(U"пауза 5");
    expectFailure(check(twelve), 5, "[стр. 12] ОШИБКА: параметр команды");

    expectFailure(check({U"/x"}), 1, "[стр.  1] ОШИБКА: начало строки");
    expectFailure(check({U"пауза", U"   //x"}), 3, "[стр.  2] ОШИБКА: команда");
    expectFailure(check({U"свд=б", U"свд=б", U"свд=б", std::u32string(128, U' ')}), 2,
                  "[стр.  4] ОШИБКА: длина строки");

    Lines thousand = repeat(U"//", 999);
    thousand.push_back(U"если кн_5==вкл тогда пауза");
    expectFailure(check(thousand), 5, "[стр.1000] ОШИБКА: параметр команды");
}

TEST(BuildProgram, TheFirstFailingLineStopsTheCheck) {
    // Line 2 fails; line 3's error and the undefined label are never reached.
    expectFailure(check({U"переход метка_9", U"реле_5=вкл", U"пауза=999"}), 5,
                  "[стр.  2] ОШИБКА: параметр команды");
}

TEST(BuildProgram, DuplicateLabel) {
    Lines lines(7, U"пауза");
    lines[1] = U"метка_1:";
    lines[6] = U"метка_1:";
    expectFailure(check(lines), 1, "ОШИБКА: [стр.  7]  метка_1 уже есть !");
    expectFailure(check({U"МЕТКА_12:", U"метка_12:"}), 1, "ОШИБКА: [стр.  2]  метка_12 уже есть !");
}

TEST(BuildProgram, UndefinedLabelIsReportedAfterAllLines) {
    expectFailure(check({U"переход метка_4", U"пауза"}), 1, "ОШИБКА: неверная метка [ 4 ] !");
    // A line error later in the text is found first.
    expectFailure(check({U"переход метка_4", U"пауза", U"пауза 5"}), 5, "[стр.  3] ОШИБКА: параметр команды");
    // A duplicate label later in the text too.
    expectFailure(check({U"переход метка_4", U"метка_1:", U"метка_1:"}), 1,
                  "ОШИБКА: [стр.  3]  метка_1 уже есть !");
    // Among several, the first jump word in program order.
    expectFailure(check({U"метка_3:", U"переход метка_7", U"переход метка_3", U"переход метка_2"}), 1,
                  "ОШИБКА: неверная метка [ 7 ] !");
    expectFailure(check({U"если А==0 тогда переход метка_15"}), 1, "ОШИБКА: неверная метка [ 15 ] !");
}

TEST(BuildProgram, BackwardJump) {
    Checked c = check({U"метка_1:", U"свд=вкл", U"пауза", U"переход метка_1"});
    expectSuccess(c);
    EXPECT_EQ(c.words(), (std::vector<std::uint16_t>{0xAEF8, 0x4201, 0xE000}));
    EXPECT_EQ(c.image.labelAddr[1], 0);

    c = check({U"свд=выкл", U"пауза+", U"метка_1:", U"свд=вкл", U"пауза", U"переход метка_1"});
    expectSuccess(c);
    EXPECT_EQ(c.words(), (std::vector<std::uint16_t>{0xAE00, 0x4101, 0xAEF8, 0x4201, 0xE002}));
}

TEST(BuildProgram, ForwardJump) {
    const Checked c = check({U"пауза", U"переход метка_5", U"свд=б", U"метка_5:", U"пауза+"});
    expectSuccess(c);
    EXPECT_EQ(c.words(), (std::vector<std::uint16_t>{0x4201, 0xE003, 0xAEF8, 0x4101}));
    EXPECT_EQ(c.image.labelAddr[5], 3);
}

TEST(BuildProgram, TheLanguageHelpExampleProgram) {
    const Checked c =
        check({U"// пример", U"метка_1:", U"если кн_1==вкл тогда свд=к", U"пауза+", U"переход метка_1"});
    expectSuccess(c);
    EXPECT_EQ(c.image.count, 4);
    EXPECT_EQ(c.words(), (std::vector<std::uint16_t>{0x6301, 0xAEF1, 0x4101, 0xE000}));
}

TEST(BuildProgram, CompositeLinesLayTwoWords) {
    const Checked c = check({U"если А>1 тогда А=0", U"вм свд=б"});
    expectSuccess(c);
    EXPECT_EQ(c.words(), (std::vector<std::uint16_t>{0x8401, 0x9100, 0xD100, 0xAEF8}));
}

TEST(BuildProgram, LabelsAndTheLabelTable) {
    const Checked c = check({U"пауза", U"метка_2:", U"пауза", U"переход метка_2", U"метка_15:"});
    expectSuccess(c);
    // A label on the last line points just past the last word.
    EXPECT_EQ(c.image.labelAddr[15], c.image.count);
    EXPECT_EQ(c.image.labelAddr[2], 1);
    // Undefined entries, and the unused entry 0, hold 0x1000.
    EXPECT_EQ(c.image.labelAddr[0], kLabelUndefined);
    EXPECT_EQ(c.image.labelAddr[1], kLabelUndefined);
    EXPECT_EQ(c.image.labelAddr[31], kLabelUndefined);
    // A label nobody jumps to is no error, and a jump may precede its label.
    EXPECT_EQ(c.words(), (std::vector<std::uint16_t>{0x4201, 0x4201, 0xE001}));
}

TEST(BuildProgram, LabelAfterAConditionPointsAfterTheConditionWord) {
    const Checked c = check({U"пауза", U"если А>1 тогда метка_1:", U"переход метка_1"});
    expectSuccess(c);
    EXPECT_EQ(c.words(), (std::vector<std::uint16_t>{0x4201, 0x8401, 0xE002}));
}

TEST(BuildProgram, WordsPastTheProgramAreZero) {
    const Checked c = check({U"пауза", U"возврат"});
    expectSuccess(c);
    EXPECT_EQ(c.image.words[2], 0);
    EXPECT_EQ(c.image.words[4095], 0);
}

TEST(BuildProgram, ThousandWordsFitAndOneMoreDoesNot) {
    Checked c = check(repeat(U"пауза", 1000));
    expectSuccess(c);
    EXPECT_EQ(c.image.count, 1000);

    expectFailure(check(repeat(U"пауза", 1001)), 1, "ОШИБКА: текст программы > 1000 команд !");

    // Comments and labels take no room.
    Lines lines = repeat(U"пауза", 1000);
    lines.insert(lines.begin() + 500, U"// середина");
    lines.insert(lines.begin() + 10, U"метка_1:");
    lines.push_back(U"метка_2:");
    lines.push_back(U"");
    c = check(lines);
    expectSuccess(c);
    EXPECT_EQ(c.image.count, 1000);
}

TEST(BuildProgram, TwoWordLineCrossingTheLimit) {
    Lines lines = repeat(U"пауза", 998);
    lines.push_back(U"если А>1 тогда А=0"); // 998 -> 1000
    Checked c = check(lines);
    expectSuccess(c);
    EXPECT_EQ(c.image.count, 1000);
    EXPECT_EQ(c.image.words[999], 0x9100);

    lines = repeat(U"пауза", 999);
    lines.push_back(U"если А>1 тогда А=0"); // 999 -> 1001
    expectFailure(check(lines), 1, "ОШИБКА: текст программы > 1000 команд !");

    lines = repeat(U"пауза", 999);
    lines.push_back(U"вм свд=б");
    expectFailure(check(lines), 1, "ОШИБКА: текст программы > 1000 команд !");
}

TEST(BuildProgram, LimitStopsTheCheckBeforeLaterLines) {
    Lines lines = repeat(U"пауза", 1001);
    lines.push_back(U"свд=х");
    expectFailure(check(lines), 1, "ОШИБКА: текст программы > 1000 команд !");
}

TEST(BuildProgram, JumpsReachTheEndOfALongProgram) {
    Lines lines = repeat(U"пауза", 998);
    lines.push_back(U"метка_9:");
    lines.push_back(U"возврат");
    lines.push_back(U"переход метка_9");
    const Checked c = check(lines);
    expectSuccess(c);
    EXPECT_EQ(c.image.count, 1000);
    EXPECT_EQ(c.image.words[999], 0xE000 + 998);
}

TEST(BuildProgram, AFailedCheckLeavesNoProgram) {
    ProgramImage image;
    CheckReport report;
    ASSERT_EQ(buildProgram({U"пауза"}, image, report), 0);
    ASSERT_EQ(image.count, 1);
    EXPECT_EQ(buildProgram({U"пауза", U"пауза 5"}, image, report), 5);
    EXPECT_EQ(image.count, 0);
    EXPECT_EQ(report.colour, MessageColour::Red);
    // A reused report after success carries the new message.
    EXPECT_EQ(buildProgram({U"пауза"}, image, report), 0);
    EXPECT_EQ(report.message, "  >>> без ошибок");
}

TEST(BuildProgram, LineEndsInsideLinesAreTolerated) {
    // The editor's lines never hold a line end, but a CR left over from a file
    // must not change anything.
    const Checked c = check({U"пауза\r", U"свд=б\r\n"});
    expectSuccess(c);
    EXPECT_EQ(c.words(), (std::vector<std::uint16_t>{0x4201, 0xAEF8}));
}

struct LineMapCase {
    const char* rule;
    Lines lines;
    std::vector<int> wordLines; // the 1-based line of each word, in word order
};

TEST(BuildProgram, EachWordKnowsTheLineItCameFrom) {
    const LineMapCase cases[] = {
        {"one word a line", {U"свд=б", U"пауза", U"реле_1 = вкл"}, {1, 2, 3}},
        {"comments and blank lines lay no words",
         {U"// начало", U"", U"свд=б", U"", U"// конец", U"пауза"},
         {3, 6}},
        {"a label line lays no word; the jump names its own line",
         {U"метка_1:", U"свд=вкл", U"пауза", U"переход метка_1"},
         {2, 3, 4}},
        {"both words of a condition name its line",
         {U"// пример", U"метка_1:", U"если кн_1==вкл тогда свд=к", U"пауза+", U"переход метка_1"},
         {3, 3, 4, 5}},
        {"both words of a module line name its line", {U"пауза", U"вм свд=б", U"пауза"}, {1, 2, 2, 3}},
        {"a forward jump", {U"переход метка_2", U"", U"метка_2:", U"если А>1 тогда А=0"}, {1, 4, 4}},
    };
    for (const LineMapCase& c : cases) {
        const Checked checked = check(c.lines);
        ASSERT_EQ(checked.result, 0) << c.rule;
        ASSERT_EQ(checked.image.count, c.wordLines.size()) << c.rule;
        const std::vector<int> lines(checked.image.wordLine.begin(),
                                     checked.image.wordLine.begin() + checked.image.count);
        EXPECT_EQ(lines, c.wordLines) << c.rule;
    }
}

TEST(BuildProgram, TheLineMapOfALongProgramReachesItsLastLine) {
    // Lines past 65535 are counted in full.
    Lines lines = repeat(U"", 70000);
    lines.push_back(U"пауза");
    const Checked c = check(lines);
    ASSERT_EQ(c.image.count, 1);
    EXPECT_EQ(c.image.wordLine[0], 70001);
}

struct ErrorsCase {
    const char* rule;
    Lines lines;
    std::vector<std::pair<int, std::string>> errors; // line, message
};

TEST(FindProgramErrors, FindsEveryErrorAndTheFirstIsTheOneTheCheckReports) {
    Lines overLimit = repeat(U"пауза", 1001);
    overLimit.push_back(U"пауза 5");
    const ErrorsCase cases[] = {
        {"no errors", {U"метка_1:", U"переход метка_1"}, {}},
        {"every failing line",
         {U"пауза 5", U"свд=б", U"/x", U"свд_1 = х"},
         {{1, "[стр.  1] ОШИБКА: параметр команды"},
          {3, "[стр.  3] ОШИБКА: начало строки"},
          {4, "[стр.  4] ОШИБКА: параметр команды"}}},
        {"a repeated label keeps its first place",
         {U"метка_1:", U"метка_1:", U"переход метка_1", U"метка_1:"},
         {{2, "ОШИБКА: [стр.  2]  метка_1 уже есть !"}, {4, "ОШИБКА: [стр.  4]  метка_1 уже есть !"}}},
        {"missing labels once each, at their first jump, after the lines",
         {U"переход метка_4", U"переход метка_2", U"переход метка_4", U"свд = х"},
         {{4, "[стр.  4] ОШИБКА: параметр команды"},
          {1, "ОШИБКА: неверная метка [ 4 ] !"},
          {2, "ОШИБКА: неверная метка [ 2 ] !"}}},
        {"a jump to a failing label line",
         {U"метка_3", U"переход метка_3"},
         {{1, "[стр.  1] ОШИБКА: команда"}, {2, "ОШИБКА: неверная метка [ 3 ] !"}}},
        {"the limit once, lines after it still checked",
         overLimit,
         {{1001, "ОШИБКА: текст программы > 1000 команд !"}, {1002, "[стр.1002] ОШИБКА: параметр команды"}}},
    };
    for (const ErrorsCase& c : cases) {
        SCOPED_TRACE(c.rule);
        std::vector<std::pair<int, std::string>> found;
        for (const CheckReport& error : findProgramErrors(c.lines)) {
            EXPECT_EQ(error.colour, MessageColour::Red);
            found.emplace_back(error.line, error.message);
        }
        EXPECT_EQ(found, c.errors);
        const Checked checked = check(c.lines);
        if (c.errors.empty()) {
            EXPECT_EQ(checked.result, 0);
        } else {
            EXPECT_EQ(checked.report.line, c.errors.front().first);
            EXPECT_EQ(checked.report.message, c.errors.front().second);
        }
    }
}

TEST(StatusText, RussianTexts) {
    EXPECT_STREQ(statusText(CmdStatus::Ok), "");
    EXPECT_STREQ(statusText(CmdStatus::BadLineStart), "ОШИБКА: начало строки");
    EXPECT_STREQ(statusText(CmdStatus::LineTooLong), "ОШИБКА: длина строки");
    EXPECT_STREQ(statusText(CmdStatus::BadCommand), "ОШИБКА: команда");
    EXPECT_STREQ(statusText(CmdStatus::NoSuchCommand), "ОШИБКА: недопустимая команда");
    EXPECT_STREQ(statusText(CmdStatus::BadParameter), "ОШИБКА: параметр команды");
    EXPECT_STREQ(statusText(CmdStatus::Skip), "");
    EXPECT_STREQ(statusText(static_cast<CmdStatus>(42)), "");
}

} // namespace
} // namespace veltra::test
