// veltra-link's console commands from a file or a pipe: what reaches the
// board does not depend on how the bytes arrive, and input without line ends
// costs no more memory than the longest line the reader keeps.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>

#include "compiler/LineCompiler.h"
#include "tools/veltra-link/CommandLines.h"

namespace veltra::linktool {
namespace {

QStringList readInChunks(const QByteArray& input, qsizetype chunk) {
    CommandLines reader;
    QStringList lines;
    for (qsizetype at = 0; at < input.size(); at += chunk)
        lines += reader.take(QByteArrayView(input).sliced(at, std::min(chunk, input.size() - at)));
    return lines + reader.finish();
}

TEST(CommandLines, LinesAreTheSameHoweverTheBytesArrive) {
    const QByteArray input =
        QByteArray(">лампа 1 красный\r\n  \n\n") + "\xf1\xe1\xf0\xee\xf1\n" + ">без конца";
    const QStringList expected{">лампа 1 красный", "сброс", ">без конца"};
    for (const qsizetype chunk : {1, 2, 3, 7, 4096})
        EXPECT_EQ(readInChunks(input, chunk), expected) << chunk;
}

TEST(CommandLines, ALineWithoutEndKeepsItsMemoryBoundAndIsRefusedAsTooLong) {
    CommandLines reader;
    const QByteArray bytes(64 * 1024, 'x');
    QStringList lines;
    for (int i = 0; i < 64; ++i) { // 4 MiB without a line end, as a binary file may hold
        lines += reader.take(bytes);
        ASSERT_LE(reader.pendingBytes(), CommandLines::kMaxLineBytes);
    }
    lines += reader.take(QByteArray("\n>лампа 1 синий\n"));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(compileConsoleLine((QLatin1Char('>') + lines[0]).toStdU32String()).status,
              CmdStatus::LineTooLong);
    EXPECT_EQ(lines[1], ">лампа 1 синий");
}

TEST(CommandLines, ALongLineIsACommandWhenItHoldsMoreThanBlanks) {
    const struct {
        const char* what;
        QByteArray line;
        bool command;
    } cases[] = {
        {"blanks only", QByteArray(3 * CommandLines::kMaxLineBytes, ' '), false},
        {"text after the kept part", QByteArray(2 * CommandLines::kMaxLineBytes, ' ') + "x", true},
        {"text at the start", "x" + QByteArray(2 * CommandLines::kMaxLineBytes, ' '), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readInChunks(c.line + "\n", 1000).size(), c.command ? 1 : 0) << c.what;
}

} // namespace
} // namespace veltra::linktool
