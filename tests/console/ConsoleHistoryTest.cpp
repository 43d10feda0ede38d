// The console history on its own: browsing with Up, Down and Escape, and the
// file that carries it from one run to the next.

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "console/ConsoleHistory.h"
#include "tests/support/QtPrinters.h"

namespace veltra {
namespace {

TEST(ConsoleHistory, UpDownAndEscapeWalkTheEntriesAndBringBackTheTypedLine) {
    ConsoleHistory history{QString()};
    for (const char* line : {">а", ">б", ">в"})
        history.Add(QString::fromUtf8(line));
    // 'u' is Up with the typed text ">x" or ">y", 'd' Down, 'e' Escape; "-" shows nothing.
    const std::pair<const char*, const char*> steps[] = {
        {"d", "-"},    {"u>x", ">в"}, {"u", ">б"}, {"d", ">в"}, {"d", ">x"}, {"d", "-"}, // browsing ended
        {"u>y", ">в"}, {"u", ">б"},   {"u", ">а"}, {"u", "-"},                           // the oldest stays
        {"e", ">y"},   {"e", "-"},
    };
    for (const auto& [key, expected] : steps) {
        const QString step = QString::fromUtf8(key);
        const std::optional<QString> shown = step[0] == 'u'   ? history.Older(step.mid(1))
                                             : step[0] == 'd' ? history.Newer()
                                                              : history.Restore();
        EXPECT_EQ(shown.value_or("-"), QString::fromUtf8(expected)) << key;
    }
}

TEST(ConsoleHistory, TheLastTwoHundredEntriesOutliveTheRunWithoutImmediateRepeats) {
    QTemporaryDir dir;
    // The state folder does not exist yet: the first entry makes it, for the user alone.
    const QString folder = dir.filePath("state/veltra");
    {
        ConsoleHistory history(folder + "/console-history");
        for (int i = 0; i < 205; ++i) {
            history.Add(QStringLiteral(">свд_%1 = к").arg(i));
            history.Add(QStringLiteral(">свд_%1 = к").arg(i));
        }
        history.Add(">свд_203 = к"); // not the one before: stored again
    }
    EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, 0);
    ConsoleHistory again(folder + "/console-history");
    ASSERT_EQ(again.Entries().size(), ConsoleHistory::kLimit);
    EXPECT_EQ(again.Entries().first(), ">свд_6 = к");
    EXPECT_EQ(again.Entries().mid(198), QStringList({">свд_204 = к", ">свд_203 = к"}));
}

} // namespace
} // namespace veltra
