// Command words written back in the board language, as the window and the log show them.

#include <gtest/gtest.h>

#include "board/WordText.h"

namespace veltra {
namespace {

TEST(WordText, WordsReadBackAsTheLanguageWritesThem) {
    const struct {
        std::uint16_t word;
        const char* text;
    } cases[] = {
        {0xA1F1, "свд_1 = к,15"},
        {0xAE74, "свд = ж,7"},
        {0xAC38, "свд_12 = б,3"},
        {0x3173, "свд_3 = А,7"},
        {0x3303, "свд_3 = А,В"},
        {0x3400, "свд = А,В"},
        {0x3270, "свд = А,7"},
        {0x2380, "порт_3 = 00000001"},
        {0x2EFF, "порт = вкл"},
        {0x2E00, "порт = выкл"},
        {0x1204, "порт_2.3 = вкл"},
        {0x12FB, "порт_2.3 = выкл"},
        {0x1A02, "реле_2 = вкл"},
        {0x1AFE, "реле_1 = выкл"},
        {0x4905, "ярк_5 = 5"},
        {0x4A00, "ярк = 0"},
        {0x4D01, "порт_1 = А"},
        {0x4E05, "порт_5 = В"},
        {0x4201, "пауза"},
        {0x4214, "пауза=20"},
        {0x4103, "пауза+++"},
        {0x4305, "пауза*****"},
        {0x4107, "пауза 700 мс"},
        {0x6302, "если кн_2==вкл"},
        {0x5304, "если кн_3==выкл"},
        {0x5400, "если А==0"},
        {0x5C07, "если В==7"},
        {0x8464, "если А>100"},
        {0x7505, "если В<5"},
        {0x9301, "А=А+1"},
        {0x9603, "В=В-3"},
        {0x9C00, "В=В-А"},
        {0x9E00, "А=А>>1"},
        {0xC143, "сохр_1 = свд_3"},
        {0xC209, "сохр_2 = порт"},
        {0xC90A, "А = сохр_2"},
        {0xC840, "свд = сохр_1"},
        {0xB100, "возврат"},
        {0xD100, "вм"},
        {0xE00C, "переход [12]"},
        {0x0000, "?"},
        {0xA1F9, "?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeWord(c.word), c.text) << std::hex << c.word;
}

} // namespace
} // namespace veltra
