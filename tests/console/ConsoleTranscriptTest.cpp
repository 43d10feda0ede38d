// Reading the console's text back: the accepted commands among selected lines.

#include <gtest/gtest.h>

#include "console/ConsoleTranscript.h"
#include "tests/support/QtPrinters.h"

namespace veltra {
namespace {

TEST(ConsoleTranscript, OnlyCommandsAnsweredOkThatAProgramTakesAreAccepted) {
    const QStringList console = {
        "//---------- консоль управления  ----------", // 0
        "//    введи команду и нажми Enter",           // 1
        "//",                                          // 2
        ">свд_5 = ж,15",                               // 3
        ">>выполняю...  OK",                           // 4
        ">реле_1 = вкл",                               // 5
        ">>выполняю...  ОШИБКА: команда отклонена!",   // 6
        ">пауза",                                      // 7
        ">>ОШИБКА: недопустимая команда",              // 8
        ">сброс",                                      // 9
        ">>выполняю...  OK",                           // 10
        ">ППЗУ = записать",                            // 11
        ">>выполняю...  OK",                           // 12
        ">вм свд_4 = с,12",                            // 13
        ">>выполняю...  OK",                           // 14
        ">порт_2.3=вкл",                               // 15
        ">>выполняю...  ОШИБКА: плата не отвечает ! ", // 16
        ">А=5",                                        // 17
    };
    const struct {
        qsizetype first, last;
        QStringList accepted;
    } cases[] = {
        {0, 17, {"свд_5 = ж,15", "вм свд_4 = с,12"}},
        {4, 13, {"вм свд_4 = с,12"}}, // a command whose outcome lies outside the selection still counts
        {4, 12, {}},
        {17, 17, {}}, // typed, not yet sent
        {-3, 40, {"свд_5 = ж,15", "вм свд_4 = с,12"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last);
        EXPECT_EQ(acceptedCommands(console, c.first, c.last), c.accepted);
    }
}

} // namespace
} // namespace veltra
