// The console history on its own: browsing with Up, Down and Escape, and the
// file that carries it from one run to the next.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <memory>
#include <sys/stat.h>
#include <thread>

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

TEST(ConsoleHistory, TwoEditorsSharingTheFileKeepEachOthersLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("veltra/console-history");
    ConsoleHistory first(path);
    ConsoleHistory second(path);
    first.Add(">свд = к");
    second.Add(">реле_1 = вкл");
    first.Add(">пауза=5");
    EXPECT_EQ(ConsoleHistory(path).Entries(), QStringList({">свд = к", ">реле_1 = вкл", ">пауза=5"}));
    EXPECT_EQ(first.Entries(), QStringList({">свд = к", ">пауза=5"})); // browsing stays this editor's
}

TEST(ConsoleHistory, AFifoIsNoHistoryAndALinkIsReplacedNotFollowed) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("veltra");
    const QString fifo = dir.filePath("veltra/fifo-history");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(ConsoleHistory(fifo).Entries().isEmpty()); // read at once, no writer awaited

    const QString target = dir.filePath("notes.txt");
    QFile notes(target);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("the user's own notes\n");
    notes.close();
    const QString link = dir.filePath("veltra/console-history");
    ASSERT_TRUE(QFile::link(target, link));
    ConsoleHistory history(link);
    history.Add(">сброс");
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).permissions() & 0x0077, 0);
    ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
    EXPECT_EQ(notes.readAll(), "the user's own notes\n");
}

TEST(ConsoleHistory, InTheBackgroundTheFilesLinesComeBeforeThisRunsAndEveryLineSentIsWritten) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("veltra");
    const QString path = dir.filePath("veltra/console-history");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(">свд = к\n>пауза=5\n");
    file.close();
    {
        ConsoleHistory history(path, ConsoleHistory::FileWork::Background);
        history.Add(">реле_1 = вкл"); // whether the file is read by now or not
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (history.Entries().size() < 3 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(history.Entries(), QStringList({">свд = к", ">пауза=5", ">реле_1 = вкл"}));
        EXPECT_EQ(history.Older("typed"), ">реле_1 = вкл");
        history.Add(">сброс");
    } // the writes are done before the history is gone
    EXPECT_EQ(ConsoleHistory(path).Entries(),
              QStringList({">свд = к", ">пауза=5", ">реле_1 = вкл", ">сброс"}));
}

// As veltra-link does: the entries read where the history was made, then the
// lines sent, and kept, on the thread it was handed to.
TEST(ConsoleHistory, AHistoryHandedToAnotherThreadIsUsedThereAndGoesAfterIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("veltra/console-history");
    auto history = std::make_unique<ConsoleHistory>(path);
    EXPECT_TRUE(history->Entries().isEmpty());
    const std::unique_ptr<QThread> sender(QThread::create([&] { history->Add(">сброс"); }));
    history->MoveToThread(sender.get());
    sender->start();
    ASSERT_TRUE(sender->wait(QDeadlineTimer(10000)));
    history.reset(); // its owner has finished
    EXPECT_EQ(ConsoleHistory(path).Entries(), QStringList({">сброс"}));
}

#ifndef QT_NO_DEBUG
TEST(ConsoleHistoryDeathTest, AThreadThatDoesNotOwnItCannotUseIt) {
    ConsoleHistory history{QString()};
    EXPECT_DEATH(std::thread([&] { history.Add(">сброс"); }).join(), "used off the thread that owns it");
}
#endif

} // namespace
} // namespace veltra
