// The number reader, the digit test, the line accessor, the dispatchers and
// the encoders called directly at a command start inside a line.

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <string_view>

#include "TestText.h"
#include "compiler/Encoders.h"
#include "compiler/LineCompiler.h"
#include "compiler/LineText.h"

namespace veltra::test {
namespace {

using namespace std::literals;

struct NumberCase {
    std::u32string_view text;
    std::size_t pos;
    int value;
};

class ParseNumberTable : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumberTable, ReadsTheNumber) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(parseNumber(c.text, c.pos), c.value) << "«" << toUtf8(c.text) << "» at " << c.pos;
}

const NumberCase kNumbers[] = {
    {U"5", 0, 5},
    {U"12x", 0, 12},
    {U"1234", 0, 123},
    {U" 7", 0, 7},
    {U"  7", 0, -1},
    {U"5,5", 0, -1},
    {U"0,5", 0, 0},
    {U"x", 0, -1},
    // Leading zeros are digits.
    {U"007", 0, 7},
    {U"05", 0, 5},
    {U"000", 0, 0},
    {U"0123", 0, 12},
    // A digit, one non-digit, a digit: refused unless the first digit is 0.
    {U"9 9", 0, -1},
    {U"9 x", 0, 9},
    {U"10,5", 0, 10},
    {U"1,23", 0, -1},
    {U"0 9", 0, 0},
    {U"999", 0, 999},
    {U"255", 0, 255},
    {U"", 0, -1},
    {U" ", 0, -1},
    {U"-5", 0, -1},
    {U"+5", 0, -1},
    {U"１", 0, -1}, // a full-width digit is not a digit
    // Positions inside a line, and past its end.
    {U"свд_12 = б", 4, 12},
    {U"ярк= 15", 4, 15},
    {U"ab", 2, -1},
    {U"ab", 100, -1},
};

INSTANTIATE_TEST_SUITE_P(Numbers, ParseNumberTable, ::testing::ValuesIn(kNumbers));

TEST(DigitValue, OnlyAsciiDigits) {
    for (char32_t c = U'0'; c <= U'9'; ++c)
        EXPECT_EQ(digitValue(c), static_cast<int>(c - U'0'));
    EXPECT_EQ(digitValue(U'/'), -1);
    EXPECT_EQ(digitValue(U':'), -1);
    EXPECT_EQ(digitValue(U'\0'), -1);
    EXPECT_EQ(digitValue(U'О'), -1); // Cyrillic О, not zero
    EXPECT_EQ(digitValue(U'０'), -1);
}

TEST(CharAt, PastTheEndReadsNul) {
    constexpr std::u32string_view line = U"ab";
    EXPECT_EQ(charAt(line, 0), U'a');
    EXPECT_EQ(charAt(line, 1), U'b');
    EXPECT_EQ(charAt(line, 2), U'\0');
    EXPECT_EQ(charAt(line, std::numeric_limits<std::size_t>::max()), U'\0');
    EXPECT_EQ(charAt(std::u32string_view{}, 0), U'\0');
    EXPECT_FALSE(matchesAt(line, 1, U"bc"));
    EXPECT_TRUE(matchesAt(line, 1, U"b"));
}

TEST(LineBody, EndsAtNulCrOrLf) {
    EXPECT_EQ(lineBody(U"abc\r\nd"), U"abc");
    EXPECT_EQ(lineBody(U"abc\nd"), U"abc");
    EXPECT_EQ(lineBody(U"abc\rd"), U"abc");
    EXPECT_EQ(lineBody(U"ab\0c"sv), U"ab");
    EXPECT_EQ(lineBody(U"abc"), U"abc");
}

TEST(Dispatch, UnknownKeywordStatusDependsOnTheTable) {
    CmdRecord rec;
    dispatchProgramKeyword(U"ППЗУ = записать", 0, rec);
    EXPECT_EQ(rec.status, CmdStatus::BadCommand);
    rec = CmdRecord{};
    dispatchConsoleKeyword(U"пауза", 0, rec);
    EXPECT_EQ(rec.status, CmdStatus::NoSuchCommand);
    rec = CmdRecord{};
    dispatchConsoleKeyword(U"ППЗУ = стереть", 0, rec);
    EXPECT_EQ(rec.status, CmdStatus::Ok);
    EXPECT_EQ(rec.word, 0x31);
    EXPECT_EQ(rec.kind, CmdKind::Service);
}

TEST(Dispatch, StartsAtTheGivenPosition) {
    CmdRecord rec;
    dispatchProgramKeyword(U"xxx свд_1 = к", 4, rec);
    EXPECT_EQ(rec.status, CmdStatus::Ok);
    EXPECT_EQ(rec.word, 0xA1F1);
}

TEST(Encoders, PositionsCountFromTheCommandStart) {
    // The same command at start 0 and at start 5 gives the same word.
    constexpr std::u32string_view alone = U"свд_12 = б, 3";
    constexpr std::u32string_view inside = U"abcd свд_12 = б, 3";
    CmdRecord a;
    CmdRecord b;
    EXPECT_TRUE(encodeLed(alone, 0, a));
    EXPECT_TRUE(encodeLed(inside, 5, b));
    EXPECT_EQ(a.word, 0xAC38);
    EXPECT_EQ(b.word, 0xAC38);
}

TEST(Encoders, PortBitReportsFailureSoThePortFormCanTry) {
    CmdRecord rec;
    EXPECT_FALSE(encodePortBit(U"порт_1 = вкл", 0, rec));
    EXPECT_EQ(rec.status, CmdStatus::BadCommand);
    EXPECT_EQ(rec.word, 0);
    EXPECT_TRUE(encodePort(U"порт_1 = вкл", 0, rec));
    EXPECT_EQ(rec.word, 0x21FF);

    EXPECT_FALSE(encodePortBit(U"порт_1.1 = да", 0, rec));
    EXPECT_EQ(rec.status, CmdStatus::BadParameter);
}

TEST(Encoders, FailureClearsTheWord) {
    CmdRecord rec;
    rec.word = 0x1234;
    EXPECT_FALSE(encodeRelay(U"реле_1 = да", 0, rec));
    EXPECT_EQ(rec.word, 0);
    EXPECT_EQ(rec.status, CmdStatus::BadCommand);
}

TEST(Encoders, ConditionsSetRestAfterTheCondition) {
    CmdRecord rec;
    constexpr std::u32string_view line = U"если А>100 тогда А=0";
    ASSERT_TRUE(encodeIf(line, 0, rec));
    EXPECT_EQ(rec.rest, 10u); // right after "100"
    ASSERT_TRUE(encodeButtonTest(U"кн_2==выкл!", 0, rec));
    EXPECT_EQ(rec.word, 0x5302);
    EXPECT_EQ(rec.rest, 10u); // right after "выкл"
    ASSERT_TRUE(encodeVarBTest(U"В == 7", 0, rec));
    EXPECT_EQ(rec.word, 0x5C07);
    EXPECT_EQ(rec.rest, 6u);
    ASSERT_TRUE(encodeVarATest(U"А<007", 0, rec));
    EXPECT_EQ(rec.word, 0x7407);
    EXPECT_EQ(rec.rest, 3u); // inside the number: the length comes from the value
}

TEST(Encoders, ExternalPointsRestAtTheForwardedCommand) {
    CmdRecord rec;
    ASSERT_TRUE(encodeExternal(U"вм   свд=б", 0, rec));
    EXPECT_EQ(rec.word, 0xD100);
    EXPECT_EQ(rec.rest, 5u);
}

TEST(Encoders, LabelAndReturn) {
    CmdRecord rec;
    ASSERT_TRUE(encodeLabel(U"метка_12:", 0, rec));
    EXPECT_EQ(rec.label, 12);
    EXPECT_EQ(rec.word, 0);
    ASSERT_TRUE(encodeReturn(U"возврат", 0, rec));
    EXPECT_EQ(rec.word, 0xB100);
}

} // namespace
} // namespace veltra::test
