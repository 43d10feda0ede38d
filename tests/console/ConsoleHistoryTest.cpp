// The console history on its own: browsing with Up, Down and Escape, and the
// file that carries it from one run to the next.

#include <QDir>
#include <QFile>
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
    enum Key { Up, Down, Escape };
    struct Step {
        Key key;
        const char* typed; // for Up: the text on the line
        std::optional<const char*> shown;
    } const steps[] = {
        {Down, "", std::nullopt}, // not browsing: Down leaves the line alone
        {Up, ">x", ">в"},         {Up, "", ">б"},
        {Down, "", ">в"},         {Down, "", ">x"},
        {Down, "", std::nullopt}, // back at the typed line, browsing ended
        {Up, ">y", ">в"},         {Up, "", ">б"},
        {Up, "", ">а"},           {Up, "", std::nullopt}, // the oldest stays
        {Escape, "", ">y"},       {Escape, "", std::nullopt},
    };
    int n = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(++n);
        const std::optional<QString> shown = step.key == Up     ? history.Older(QString::fromUtf8(step.typed))
                                             : step.key == Down ? history.Newer()
                                                                : history.Restore();
        ASSERT_EQ(shown.has_value(), step.shown.has_value());
        if (shown) {
            EXPECT_EQ(*shown, QString::fromUtf8(*step.shown));
        }
    }
}

TEST(ConsoleHistory, TheLastTwoHundredEntriesOutliveTheRunWithoutImmediateRepeats) {
    QTemporaryDir dir;
    // The state folder does not exist yet: the first entry makes it, for the user alone.
    const QString folder = dir.filePath("state/veltra");
    const QString path = folder + "/console-history";
    {
        ConsoleHistory history(path);
        for (int i = 0; i < 205; ++i) {
            history.Add(QStringLiteral(">свд_%1 = к").arg(i));
            history.Add(QStringLiteral(">свд_%1 = к").arg(i)); // the same again: stored once
        }
        history.Add(">свд_203 = к"); // not the previous one: stored again
        history.Add(QString());
    }
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_FALSE(QFileInfo(folder).permissions() & others);
    ConsoleHistory again(path);
    ASSERT_EQ(again.Entries().size(), ConsoleHistory::kLimit);
    EXPECT_EQ(again.Entries().first(), ">свд_6 = к");
    EXPECT_EQ(again.Entries().mid(198), QStringList({">свд_204 = к", ">свд_203 = к"}));
    EXPECT_EQ(*again.Older(">"), ">свд_203 = к");
}

TEST(ConsoleHistory, AHandWrittenFileIsReadByLinesAndAnUnwritableOneKeepsTheEntriesForTheRun) {
    QTemporaryDir dir;
    const QString path = dir.filePath("console-history");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(">реле_1 = вкл\r\n\r\n>сброс\n\xff\n");
    file.close();
    EXPECT_EQ(ConsoleHistory(path).Entries(),
              QStringList({">реле_1 = вкл", ">сброс", QString(QChar::ReplacementCharacter)}));

    // Its folder is a file: nothing can be written, and nothing is lost now.
    ConsoleHistory blocked(path + "/console-history");
    blocked.Add(">А=5");
    EXPECT_EQ(blocked.Entries(), QStringList({">А=5"}));
    EXPECT_EQ(*blocked.Older(">"), ">А=5");
}

} // namespace
} // namespace veltra
