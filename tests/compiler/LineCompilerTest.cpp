// Table-driven tests of the two line entries: the known example lines of every
// command, plus the corners that each encoder's position arithmetic and blank
// skipping make risky.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LineCases.h"
#include "compiler/LineCompiler.h"

namespace veltra::test {
namespace {

using namespace std::literals;

class LineTable : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineTable, CompilesToTheRecord) {
    const LineCase& c = GetParam();
    const CmdRecord rec = c.mode == Mode::Program ? compileProgramLine(c.line) : compileConsoleLine(c.line);
    EXPECT_EQ(static_cast<int>(rec.status), static_cast<int>(c.status));
    EXPECT_EQ(rec.word, c.word) << std::hex << "word 0x" << rec.word << ", expected 0x" << c.word;
    EXPECT_EQ(rec.prefixWord, c.prefix)
        << std::hex << "prefix 0x" << rec.prefixWord << ", expected 0x" << c.prefix;
    EXPECT_EQ(rec.label, c.label);
    EXPECT_EQ(static_cast<int>(rec.kind), static_cast<int>(c.kind));
}

// The tables are laid out by hand, a few cases to a line.
// clang-format off
#define LINE_TABLE(name, ...)                                                                          \
    const LineCase k##name[] = {__VA_ARGS__};                                                          \
    INSTANTIATE_TEST_SUITE_P(name, LineTable, ::testing::ValuesIn(k##name),                            \
                             [](const ::testing::TestParamInfo<LineCase>& info) {                      \
                                 return std::to_string(info.index);                                    \
                             })

// The line's start, comments, blanks, the line end.
LINE_TABLE(LineStart,
    fails(U"//x", S7), fails(U"/x", S1), fails(U"   //x", S3), fails(U"", S7),
    fails(U"   ", S3), fails(U" ", S3), fails(U"\t", S3), fails(U"\t \t", S3),
    fails(U"/", S1), fails(U"//", S7), fails(U"x//", S3),
    word(U"свд=б", 0xAEF8), word(U"  свд=б", 0xAEF8), word(U"\tсвд=б", 0xAEF8), word(U"\t \tсвд=б", 0xAEF8),
    // A CR, LF or NUL inside the text ends the line.
    word(U"свд=б\r\n", 0xAEF8), word(U"свд=б\nпауза", 0xAEF8), word(U"пауза\0=5"sv, 0x4201),
    fails(U"\r", S7), fails(U"/\r//", S1),
    // "пауза" followed by a blank looks for an '=' and finds none.
    fails(U"пауза ", S5));

// Keywords are compared code point by code point: no case folding, and Latin
// look-alikes are other letters.
LINE_TABLE(Keywords,
    word(U"А=5", 0x9105), word(U"В=5", 0x9205),
    fails(U"A=5", S3), fails(U"B=5", S3),          // Latin A and B
    fails(U"а=5", S3), fails(U"в=5", S3),          // Cyrillic lower case
    fails(U"cвд=б", S3),                            // Latin c
    fails(U"пaузa", S3),                            // Latin a
    fails(U"Свд=б", S3), fails(U"ПАУЗА", S3), fails(U"Пауза", S3),
    fails(U"Если А>1 тогда А=0", S3), fails(U"Метка_4:", S3), fails(U"xyz", S3),
    word(U"свд=Б", 0xAEF8), fails(U"свд=b", S5),   // Latin b is no colour
    label(U"МЕТКА_4:", 4),
    // "Вм" and "вМ" are neither "вм" nor "ВМ": "Вм" goes to the variable В.
    fails(U"Вм свд=б", S3), fails(U"вМ свд=б", S3));

// свд_n.
LINE_TABLE(Led,
    word(U"свд_1 = к", 0xA1F1), word(U"свд_1=к,7", 0xA171), word(U"свд_12 = б, 3", 0xAC38),
    word(U"свд_1 = ч", 0xA100), word(U"свд_1 = ч,5", 0xA150),
    fails(U"свд_14=к", S5), fails(U"свд_0=к", S5), fails(U"свд_1 = х", S5), fails(U"свд_1 к", S3),
    word(U"свд_3 = А,7", 0x3173), fails(U"свд_3 = А", S5), word(U"свд_3 = к,В", 0x3303),
    // The '=' is looked for at 5 after one digit, at 6 after two.
    word(U"свд_9=к", 0xA9F1), word(U"свд_10=к", 0xAAF1), word(U"свд_13 = з", 0xADF2),
    word(U"свд_10 = к,15", 0xAAF1), word(U"свд_9 =к", 0xA9F1),
    fails(U"свд_05=к", S3), fails(U"свд_ 5=к", S3),
    // Up to two blanks before the '=' and after it.
    word(U"свд_5  = к", 0xA5F1), fails(U"свд_5   = к", S3),
    word(U"свд_10  = к", 0xAAF1), fails(U"свд_10   = к", S3),
    word(U"свд_5 =  к", 0xA5F1), fails(U"свд_5 =   к", S5),
    // Up to two blanks before the ',': with a third the ',' is not seen and
    // the default brightness stands.
    word(U"свд_1=к ,7", 0xA171), word(U"свд_1=к  ,7", 0xA171), word(U"свд_1=к   ,7", 0xA1F1),
    // Two blanks after the ',', and parseNumber steps over one more.
    word(U"свд_1=к,  7", 0xA171), word(U"свд_1=к,   7", 0xA171), fails(U"свд_1=к,    7", S5),
    fails(U"свд_1=к,16", S5), word(U"свд_1=к,0", 0xA101), fails(U"свд_1=к,", S5), fails(U"свд_1=к,x", S5),
    fails(U"свд_1=к,1,2", S5), word(U"свд_1=к,007", 0xA171), fails(U"свд_1=к,в", S5),
    fails(U"свд_1=A,7", S5), fails(U"свд_1=а,7", S5),   // Latin A, Cyrillic а
    word(U"свд_1=б,В", 0x3301), word(U"свд_1=А,В", 0x3301), word(U"свд_13=А,В", 0x330D),
    word(U"свд_13=А,15", 0x31FD),
    word(U"свд_1 = ВКЛ", 0xA1F8), word(U"свд_1 = вкл", 0xA1F8), word(U"свд_2 = ВЫКЛ", 0xA200),
    word(U"свд_2 = выкл", 0xA200), word(U"свд_1 = вклюю", 0xA1F8),
    word(U"свд_5 = сохр_1", 0xC845), word(U"свд_13=сохр_2", 0xC94D),
    // Not a store: the letter с (blue), and nothing after it is read.
    word(U"свд_1 = сохр_3", 0xA1F3),
    fails(U"свд_=б", S5), fails(U"свд_1=", S5));

// Every colour letter, in both cases.
LINE_TABLE(Colours,
    word(U"свд_1=ч", 0xA100), word(U"свд_1=Ч", 0xA100), word(U"свд_1=к", 0xA1F1), word(U"свд_1=К", 0xA1F1),
    word(U"свд_1=з", 0xA1F2), word(U"свд_1=З", 0xA1F2), word(U"свд_1=с", 0xA1F3), word(U"свд_1=С", 0xA1F3),
    word(U"свд_1=ж", 0xA1F4), word(U"свд_1=Ж", 0xA1F4), word(U"свд_1=г", 0xA1F5), word(U"свд_1=Г", 0xA1F5),
    word(U"свд_1=п", 0xA1F6), word(U"свд_1=П", 0xA1F6), word(U"свд_1=ф", 0xA1F7), word(U"свд_1=Ф", 0xA1F7),
    word(U"свд_1=б", 0xA1F8), word(U"свд_1=Б", 0xA1F8),
    fails(U"свд_1=х", S5), fails(U"свд_1=Х", S5), fails(U"свд_1=р", S5));

// свд.
LINE_TABLE(LedAll,
    word(U"свд = вкл", 0xAEF8), word(U"свд = ж,7", 0xAE74), word(U"свд = А,В", 0x3400),
    word(U"свд = сохр_2", 0xC940), word(U"свд = сохр_1", 0xC840), word(U"свд=б", 0xAEF8),
    word(U"свд = выкл", 0xAE00), word(U"свд = ВКЛ", 0xAEF8), word(U"свд = ВЫКЛ", 0xAE00),
    word(U"свд = к,В", 0x3400), word(U"свд=А,7", 0x3270), fails(U"свд = А", S5), fails(U"свд = А,16", S5),
    word(U"свд=ч", 0xAE00), word(U"свд=к,0", 0xAE01), word(U"свд=Ф,15", 0xAEF7),
    fails(U"свдx=б", S3), word(U"свд =б", 0xAEF8), word(U"свд  =б", 0xAEF8), fails(U"свд   =б", S3),
    fails(U"свд", S3), fails(U"свд = х", S5));

// порт.
LINE_TABLE(PortAll,
    word(U"порт = вкл", 0x2EFF), word(U"порт=выкл", 0x2E00), word(U"порт = ВКЛ", 0x2EFF),
    word(U"порт = ВЫКЛ", 0x2E00), word(U"порт = сохр_1", 0xC809), word(U"порт = сохр_2", 0xC909),
    word(U"порт =вкл", 0x2EFF),
    fails(U"порт  = вкл", S3), fails(U"порт вкл", S3), fails(U"порт", S3), fails(U"портx = вкл", S3),
    fails(U"порт =  вкл", S5), fails(U"порт = 1", S5),
    // A value whose third character is a blank or 0x10 is no port byte.
    fails(U"порт = x x", S5), fails(U"порт = к\x10" U"z", S5));

// порт_n.b, and its hand-over to порт_n.
LINE_TABLE(PortBit,
    word(U"порт_2.3=вкл", 0x1204), word(U"порт_2.3=выкл", 0x12FB), word(U"порт_6.1 = вкл", 0x1601),
    fails(U"порт_1.9=вкл", S3), word(U"порт_6.8 = выкл", 0x167F), word(U"порт_3.8 = ВКЛ", 0x1380),
    word(U"порт_1.1=1", 0x1101), word(U"порт_1.1=0", 0x11FE), word(U"порт_1.1=10", 0x1101),
    word(U"порт_1.1 =1", 0x1101), word(U"порт_1.1 = ВЫКЛ", 0x11FE),
    // Every failure of the bit form ends in порт_n, which refuses the '.'.
    fails(U"порт_1.1 = да", S3), fails(U"порт_1.1  = вкл", S3), fails(U"порт_1.0 = вкл", S3),
    fails(U"порт_7.1 = вкл", S3), fails(U"порт_1.1 =  вкл", S3), fails(U"порт_1.1", S3));

// порт_n.
LINE_TABLE(Port,
    word(U"порт_3 = 00000001", 0x2380), fails(U"порт_3 = 0000001", S5), fails(U"порт_3 = 000000011", S5),
    fails(U"порт_6 = вкл", S3), word(U"порт_1 = 10000000", 0x2101),
    word(U"порт_1 = вкл", 0x21FF), word(U"порт_5 = выкл", 0x2500), word(U"порт_4 = ВКЛ", 0x24FF),
    word(U"порт_1 = А", 0x4D01), word(U"порт_5 = В", 0x4E05),
    word(U"порт_2 = сохр_1", 0xC802), word(U"порт_3 = сохр_2", 0xC903),
    word(U"порт_1 = 01000000", 0x2102), word(U"порт_1 = 11110000", 0x210F), word(U"порт_1=00000000", 0x2100),
    // One blank after the '=', then up to two more before the bits.
    word(U"порт_1 =   11111111", 0x21FF), fails(U"порт_1 =    11111111", S5),
    fails(U"порт_1 = 1111111x", S5), word(U"порт_1 = 11111111x", 0x21FF), fails(U"порт_1 = 00000002", S5),
    fails(U"порт_1 = ", S5), fails(U"порт_1 = а", S5), fails(U"порт_1 = A", S5),
    fails(U"порт_0 = вкл", S3), fails(U"порт_ = вкл", S3), fails(U"порт_1 вкл", S3),
    word(U"порт_1 =вкл", 0x21FF), fails(U"порт_1  = вкл", S3));

// реле_n.
LINE_TABLE(Relay,
    word(U"реле_1 = вкл", 0x1A01), word(U"реле_1 = выкл", 0x1AFE), word(U"реле_2 = вкл", 0x1A02),
    word(U"реле_2=ВЫКЛ", 0x1AFD), word(U"реле_1=ВКЛ", 0x1A01),
    fails(U"реле_3 = вкл", S5), fails(U"реле_0 = вкл", S5), fails(U"реле_ = вкл", S5),
    fails(U"реле_1 = да", S3), fails(U"реле_1 вкл", S3), fails(U"реле_12 = вкл", S3),
    fails(U"реле_1 =  вкл", S3));

// ярк_n and ярк.
LINE_TABLE(Brightness,
    fails(U"ярк_2 = 16", S5), word(U"ярк = 0", 0x4A00),
    word(U"ярк_1 = 0", 0x4500), word(U"ярк_5 = 15", 0x490F), word(U"ярк_2=7", 0x4607),
    fails(U"ярк_6 = 1", S3), fails(U"ярк_0 = 1", S3), fails(U"ярк_1.1 = 1", S3), fails(U"ярк_3 7", S3),
    word(U"ярк_2 =  7", 0x4607), fails(U"ярк_2 =   7", S5), fails(U"ярк_3 = x", S5),
    word(U"ярк = 15", 0x4A0F), fails(U"ярк = 16", S5), word(U"ярк=7", 0x4A07),
    word(U"ярк =   7", 0x4A07), fails(U"ярк =    7", S5), fails(U"ярк=", S5), fails(U"ярк  = 1", S3));

// сохр_n.
LINE_TABLE(Store,
    word(U"сохр_1 = свд_3", 0xC143), word(U"сохр_2 = порт", 0xC209), fails(U"сохр_1 = свд_9", S5),
    fails(U"сохр_3 = А", S3),
    word(U"сохр_1 = порт_1", 0xC101), word(U"сохр_2 = порт_3", 0xC203), fails(U"сохр_1 = порт_4", S5),
    word(U"сохр_1 = свд", 0xC140), word(U"сохр_2 = свд_8", 0xC248), word(U"сохр_2 = свд_1", 0xC241),
    word(U"сохр_1 = А", 0xC10A), word(U"сохр_2 = В", 0xC20B), word(U"сохр_1=А", 0xC10A),
    // Object 0 is no object.
    fails(U"сохр_1 = порт_0", S5), fails(U"сохр_1 = свд_0", S5), fails(U"сохр_1 = порт_", S5),
    fails(U"сохр_1 = х", S5), fails(U"сохр_1 =  А", S5),
    fails(U"сохр_1.1 = А", S3), fails(U"сохр_1 А", S3), fails(U"сохр_0 = А", S3));

// вм.
LINE_TABLE(External,
    ext(U"вм свд_4 = с,12", 0xA4C3), ext(U"вм свд=б", 0xAEF8), ext(U"ВМ свд=б", 0xAEF8),
    ext(U"вм       свд=б", 0xAEF8), fails(U"вм        свд=б", S3),   // seven blanks, then eight
    ext(U"вм", 0, S3), ext(U"вмсвд=б", 0xAEF8), ext(U"вм пауза", 0x4201), ext(U"вм свд=х", 0, S5),
    ext(U"вм порт_2.3=вкл", 0x1204), ext(U"  вм свд=б", 0xAEF8), ext(U"ВМ реле_2 = вкл", 0x1A02));

// пауза.
LINE_TABLE(Pause,
    word(U"пауза", 0x4201), word(U"пауза+++", 0x4103), word(U"пауза*****", 0x4305),
    word(U"пауза++++++", 0x4105), word(U"пауза=20", 0x4214), word(U"пауза = 255", 0x42FF),
    fails(U"пауза=300", S5), fails(U"пауза=", S5), fails(U"пауза 5", S5),
    word(U"пауза+", 0x4101), word(U"пауза*", 0x4301), word(U"пауза+*", 0x4101), word(U"пауза=0", 0x4200),
    fails(U"пауза =  5", S5), word(U"пауза    =5", 0x4205), fails(U"пауза     =5", S5),
    word(U"пауза x=5", 0x4205), word(U"паузаx", 0x4201), word(U"пауза=5x", 0x4205), word(U"пауза: 5", 0x4201));

// А and В.
LINE_TABLE(Variables,
    word(U"А=А+1", 0x9301), word(U"А=255", 0x91FF), fails(U"А=256", S5), word(U"А=А<<1", 0x9D00),
    word(U"А=В", 0x9700), word(U"А = сохр_2", 0xC90A), fails(U"А=", S5), fails(U"А=  5", S3),
    word(U"А=А-1", 0x9501), word(U"А=А+В", 0x9900), word(U"А=А-В", 0x9A00), word(U"А=А>>1", 0x9E00),
    word(U"А=сохр_1", 0xC80A), word(U"А=0", 0x9100), word(U"А = 5", 0x9105), word(U"А =5", 0x9105),
    fails(U"А  =5", S3), fails(U"А5", S3), fails(U"А=А+256", S5), word(U"А=А+ 5", 0x9305),
    fails(U"А=А<<2", S5), word(U"А=ВХ", 0x9700), fails(U"А=А", S5), fails(U"А=Б", S5), fails(U"А=А*2", S5),
    word(U"А=007", 0x9107), word(U"А=1000", 0x9164), fails(U"А=A+1", S5), word(U"А=А+В+1", 0x9900), word(U"А=А-255", 0x95FF),
    word(U"В=В-А", 0x9C00), word(U"В=В-3", 0x9603), word(U"В=А", 0x9800), fails(U"В=В>>1", S5),
    word(U"В=В+А", 0x9B00), word(U"В=В+3", 0x9403), fails(U"В=В<<1", S5), word(U"В=7", 0x9207),
    word(U"В = сохр_1", 0xC80B), word(U"В=сохр_2", 0xC90B), fails(U"В=  7", S3), word(U"В=А+1", 0x9800),
    fails(U"В=В+Б", S5));

// если ... тогда.
LINE_TABLE(Conditional,
    cond(U"если кн_2==вкл тогда переход метка_2", 0x6302, 0xE002),
    cond(U"если А==0 тогда свд=выкл", 0x5400, 0xAE00), cond(U"если В==0 тогда А=А+1", 0x5500, 0x9301),
    cond(U"если А>100 тогда А=0", 0x8464, 0x9100), cond(U"если кн_1==выкл тогда пауза", 0x5301, 0x4201),
    fails(U"если кн_4==вкл тогда пауза", S5), fails(U"если А>=5 тогда пауза", S5),
    fails(U"если А=5 тогда пауза", S5),
    cond(U"ЕСЛИ А>1 тогда А=0", 0x8401, 0x9100), cond(U"если А>1 тогда А=0", 0x8401, 0x9100),
    cond(U"если А>1 А=0", 0x8401, 0, S5), cond(U"если А>1 тогда", 0x8401, 0, S3),
    // One blank may stand at each step; a second one is refused.
    fails(U"если  А>1 тогда А=0", S3),
    cond(U"если А >1 тогда А=0", 0x8401, 0x9100), fails(U"если А  >1 тогда А=0", S5),
    cond(U"если А> 1 тогда А=0", 0x8401, 0x9100), fails(U"если А>  1 тогда А=0", S5),
    cond(U"если А>1  тогда А=0", 0x8401, 0x9100), cond(U"если А>1   тогда А=0", 0x8401, 0, S5),
    cond(U"если А>1 тогда  А=0", 0x8401, 0x9100), cond(U"если А>1 тогда   А=0", 0x8401, 0, S3),
    cond(U"если А>1 ТОГДА А=0", 0x8401, 0x9100), cond(U"если А>1тогдаА=0", 0x8401, 0x9100),
    // The number's length comes from its value: a leading zero leaves the
    // position inside the number.
    cond(U"если А>01 тогда А=0", 0x8401, 0, S5), cond(U"если А==00 тогда пауза", 0x5400, 0, S5),
    cond(U"если А==1 тогда А=0", 0x5B01, 0x9100), cond(U"если А==255 тогда А=0", 0x5BFF, 0x9100),
    fails(U"если А==256 тогда А=0", S5), cond(U"если В<7 тогда В=0", 0x7507, 0x9200),
    cond(U"если В>12 тогда В=В+1", 0x850C, 0x9401), cond(U"если В==3 тогда пауза", 0x5C03, 0x4201),
    cond(U"если А<0 тогда пауза", 0x7400, 0x4201), cond(U"если А>0 тогда пауза", 0x8400, 0x4201),
    cond(U"если В<255 тогда пауза", 0x75FF, 0x4201), cond(U"если А<99 тогда пауза", 0x7463, 0x4201),
    cond(U"если кн_3==выкл тогда пауза", 0x5304, 0x4201), cond(U"если кн_1 == вкл тогда пауза", 0x6301, 0x4201),
    fails(U"если кн_1  == вкл тогда пауза", S5), fails(U"если кн_1==  вкл тогда пауза", S5),
    cond(U"если кн_1==ВКЛ тогда пауза", 0x6301, 0x4201), cond(U"если кн_1==ВЫКЛ тогда пауза", 0x5301, 0x4201),
    fails(U"если кн_1==да тогда пауза", S5), fails(U"если кн_0==вкл тогда пауза", S5),
    fails(U"если кн_1=вкл тогда пауза", S5), fails(U"если кн_12==вкл тогда пауза", S5),
    cond(U"если кн_1==вклтогда пауза", 0x6301, 0x4201), cond(U"если кн_1==вкл тогда", 0x6301, 0, S3),
    fails(U"если Б>1 тогда А=0", S5), fails(U"если A>1 тогда А=0", S5), fails(U"если", S5),
    cond(U"ЕСЛИ кн_2==выкл ТОГДА реле_1 = вкл", 0x5302, 0x1A01),
    cond(U"если кн_1==вкл тогда переход метка_5", 0x6301, 0xE005),
    cond(U"если кн_2==вкл тогда порт_1=01000000", 0x6302, 0x2102),
    cond(U"  если А>1 тогда А=0", 0x8401, 0x9100), cond(U"если А>1 тогда свд=х", 0x8401, 0, S5),
    // A label after "тогда" defines the label; the condition word stays.
    LineCase{U"если А>1 тогда метка_1:", P, 0, 0x8401, 1, IF, OK},
    // A module command cannot carry the condition: refused, not silently unconditional.
    cond(U"если кн_1==вкл тогда вм свд=б", 0x6301, 0, S3), cond(U"если кн_1==вкл тогда ВМ свд=б", 0x6301, 0, S3),
    cond(U"если кн_1==вкл тогда вм", 0x6301, 0, S3));

// переход, возврат, метка_n.
LINE_TABLE(Branching,
    fails(U"переход метка_16", S5), fails(U"переход  метка_1", S3), fails(U"метка_0:", S5), fails(U"метка_3", S3),
    word(U"переход метка_1", 0xE001), word(U"переход метка_15", 0xE00F), word(U"переход МЕТКА_3", 0xE003),
    word(U"переходметка_1", 0xE001), fails(U"переход метка_0", S5), fails(U"переход метка1", S3),
    fails(U"переход", S3), fails(U"переход метка_", S5),
    word(U"возврат", 0xB100), word(U"возврат что-то", 0xB100),
    label(U"метка_1:", 1), label(U"метка_15:", 15), label(U"МЕТКА_2:", 2), label(U"метка_5 :", 5),
    label(U"метка_ 5:", 5), label(U"метка_5::", 5), label(U"  метка_7:", 7),
    fails(U"метка_16:", S5), fails(U"метка_1", S3), fails(U"метка_123:", S3), fails(U"метка_x:", S5));

// The console entry.
LINE_TABLE(Console,
    ext(U">вм свд_4 = с,12", 0xA4C3, OK, C), consoleFails(U">пауза", S4), consoleFails(U"свд=б", S1),
    consoleFails(U">", S7), consoleFails(U"", S1), consoleFails(U"очистить", S1),
    LineCase{U">ППЗУ = записать", C, 0x30, 0, 0, SV, OK}, consoleFails(U">ППЗУ = сохранить", S3),
    LineCase{U">ППЗУ = стереть", C, 0x31, 0, 0, SV, OK}, LineCase{U">ППЗУ=записать", C, 0x30, 0, 0, SV, OK},
    consoleFails(U">ППЗУ  = записать", S3), consoleFails(U">ППЗУ =  записать", S3),
    consoleFails(U">ппзу = записать", S4), consoleFails(U">ППЗУ", S3),
    consoleFails(U">переход метка_1", S4), consoleFails(U">возврат", S4),
    consoleFails(U">если А>1 тогда А=0", S4), consoleFails(U">метка_1:", S4), consoleFails(U">сохр_1 = А", S4),
    console(U">свд=б", 0xAEF8), console(U">  свд=б", 0xAEF8), console(U">\tсвд=б", 0xAEF8),
    consoleFails(U"> ", S4), consoleFails(U">xyz", S4), consoleFails(U"> сброс", S4), consoleFails(U">//x", S4),
    console(U">А=5", 0x9105), console(U">В=В+1", 0x9401), console(U">реле_1=вкл", 0x1A01),
    console(U">порт_2.3=вкл", 0x1204), console(U">порт=выкл", 0x2E00), console(U">порт_1=А", 0x4D01),
    console(U">ярк=3", 0x4A03), console(U">ярк_1=3", 0x4503), console(U">свд_3 = А,7", 0x3173),
    console(U">свд=б\r\n", 0xAEF8), consoleFails(U">свд=х", S5), consoleFails(U">порт_6 = вкл", S3),
    ext(U">ВМ свд=б", 0xAEF8, OK, C), ext(U"> вм свд=б", 0xAEF8, OK, C),
    // The forwarded command is compiled with the program table.
    ext(U">вм пауза", 0x4201, OK, C), ext(U">вм ППЗУ = записать", 0, S3, C), ext(U">вм", 0, S3, C));

// clang-format on

// Line length: 127 characters before the line end compile, 128 do not.
TEST(LineLength, ProgramLineOf127CompilesAnd128IsTooLong) {
    const std::u32string command = U"свд=б";
    const std::u32string padded127 = command + std::u32string(127 - command.size(), U' ');
    EXPECT_EQ(compileProgramLine(padded127).word, 0xAEF8);
    EXPECT_EQ(compileProgramLine(padded127 + U"\r\n").word, 0xAEF8);
    EXPECT_EQ(compileProgramLine(padded127 + U" ").status, CmdStatus::LineTooLong);

    const std::u32string indented127 = std::u32string(127 - command.size(), U' ') + command;
    EXPECT_EQ(compileProgramLine(indented127).word, 0xAEF8);
    EXPECT_EQ(compileProgramLine(U" " + indented127).status, CmdStatus::LineTooLong);

    EXPECT_EQ(compileProgramLine(std::u32string(127, U' ')).status, CmdStatus::BadCommand);
    EXPECT_EQ(compileProgramLine(std::u32string(128, U' ')).status, CmdStatus::LineTooLong);
    // A comment or a bad first character is judged before the length.
    EXPECT_EQ(compileProgramLine(U"//" + std::u32string(300, U'x')).status, CmdStatus::Skip);
    EXPECT_EQ(compileProgramLine(U"/" + std::u32string(300, U'x')).status, CmdStatus::BadLineStart);
}

TEST(LineLength, ConsoleCountsWhatFollowsThePrompt) {
    const std::u32string command = U">свд=б";
    const std::u32string padded = command + std::u32string(128 - command.size(), U' '); // '>' + 127
    EXPECT_EQ(compileConsoleLine(padded).word, 0xAEF8);
    EXPECT_EQ(compileConsoleLine(padded + U" ").status, CmdStatus::LineTooLong);
}

TEST(LineRecord, EveryCompileStartsFromAClearedRecord) {
    const CmdRecord first = compileProgramLine(U"если А>1 тогда А=0");
    ASSERT_EQ(first.kind, CmdKind::Conditional);
    const CmdRecord second = compileProgramLine(U"метка_3:");
    EXPECT_EQ(second.prefixWord, 0);
    EXPECT_EQ(second.kind, CmdKind::Single);
    EXPECT_EQ(second.label, 3);
}

} // namespace
} // namespace veltra::test
