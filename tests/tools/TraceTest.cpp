// The one line map, read three ways: the check's own map of every example
// against its lines compiled one by one, veltra-check --listing, and
// veltra-board --trace as processes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "compiler/LineCompiler.h"
#include "tests/support/LineWords.h"
#include "tools/veltra-board/ProgramFile.h"

namespace veltra::test {
namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const char* exe, const QStringList& args) {
    QProcess process;
    process.start(QString::fromUtf8(exe), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(Trace, EachExecutedWordComesWithItsLineIndexWordAndBoardTime) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QStringEncoder cp1251("windows-1251");
    file.write(cp1251.encode(QStringLiteral("// мигание\r\nметка_1:\r\nсвд_1 = к\r\n\r\nпауза+\r\n"
                                            "если кн_1==вкл тогда переход метка_1\r\nвм свд=б\r\n"
                                            "А=А+1\r\nесли А<2 тогда переход метка_1\r\n")));
    file.close();
    // A condition that fails skips its second word; a module line runs as one
    // word; the program ends after its second round.
    const ToolRun run = runTool(VELTRA_BOARD_EXE, {QStringLiteral("--trace"), QStringLiteral("20"), path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("    3      0  A1F1        0s  свд_1 = к\n"
                                      "    5      1  4101        0s  пауза+\n"
                                      "    6      2  6301      0.1s  если кн_1==вкл тогда переход метка_1\n"
                                      "    7      4  D100      0.1s  вм свд=б\n"
                                      "    8      6  9301      0.1s  А=А+1\n"
                                      "    9      7  7402      0.1s  если А<2 тогда переход метка_1\n"
                                      "    9      8  E000      0.1s  если А<2 тогда переход метка_1\n"
                                      "    3      0  A1F1      0.1s  свд_1 = к\n"
                                      "    5      1  4101      0.1s  пауза+\n"
                                      "    6      2  6301      0.2s  если кн_1==вкл тогда переход метка_1\n"
                                      "    7      4  D100      0.2s  вм свд=б\n"
                                      "    8      6  9301      0.2s  А=А+1\n"
                                      "    9      7  7402      0.2s  если А<2 тогда переход метка_1\n"));
    EXPECT_EQ(run.err, QStringLiteral("veltra-board: the program ended after 13 words at 0.2s\n"));

    EXPECT_EQ(runTool(VELTRA_BOARD_EXE, {QStringLiteral("--trace"), QStringLiteral("1"),
                                         dir.filePath(QStringLiteral("missing.txt"))})
                  .exitCode,
              2);
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--trace"), QStringLiteral("0"), path},
          QStringList{QStringLiteral("--trace"), QStringLiteral("5")},
          QStringList{QStringLiteral("--trace"), QStringLiteral("5"), path, QStringLiteral("--view")}})
        EXPECT_EQ(runTool(VELTRA_BOARD_EXE, wrong).exitCode, 64) << wrong.join(' ').toStdString();
}

TEST(LineMap, EveryExampleMapsEachWordToItsLineAndTheListingAndTheTraceAgree) {
    const QDir examples(QStringLiteral(VELTRA_EXAMPLES));
    const QStringList names = examples.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 5);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString path = examples.filePath(name);
        board_sim::CheckedProgramFile program;
        std::string error;
        ASSERT_TRUE(board_sim::readCheckedProgram(path.toStdString(), program, error)) << error;
        const ProgramImage& image = *program.image;

        // The lines compiled one by one lay out the same words in the same order.
        std::vector<int> expected;
        for (std::size_t i = 0; i < program.lines.size(); ++i)
            expected.insert(expected.end(), wordsOfLine(compileProgramLine(program.lines[i])), int(i + 1));
        const std::vector<int> mapped(image.wordLine.begin(), image.wordLine.begin() + image.count);
        ASSERT_EQ(mapped, expected);

        const ToolRun listing =
            runTool(VELTRA_CHECK_EXE, {QStringLiteral("--json"), QStringLiteral("--listing"), path});
        ASSERT_EQ(listing.exitCode, 0);
        const QJsonArray rows = QJsonDocument::fromJson(listing.out.toUtf8()).object()["listing"].toArray();
        ASSERT_EQ(rows.size(), image.count);
        for (int i = 0; i < rows.size(); ++i) {
            const QJsonObject row = rows[i].toObject();
            EXPECT_EQ(row["index"].toInt(), i);
            EXPECT_EQ(row["line"].toInt(), image.wordLine[i]) << "word " << i;
            EXPECT_EQ(row["word"].toString().toUInt(nullptr, 16), image.words[i]) << "word " << i;
        }

        const ToolRun trace =
            runTool(VELTRA_BOARD_EXE, {QStringLiteral("--trace"), QStringLiteral("500"), path});
        ASSERT_EQ(trace.exitCode, 0);
        const QStringList lines = trace.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), 500) << "every example runs on";
        for (const QString& line : lines) {
            const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            ASSERT_GE(f.size(), 4) << line.toStdString();
            const int index = f[1].toInt();
            ASSERT_LT(index, image.count) << line.toStdString();
            EXPECT_EQ(f[0].toInt(), image.wordLine[index]) << line.toStdString();
            EXPECT_EQ(f[2].toUInt(nullptr, 16), image.words[index]) << line.toStdString();
        }
    }
}

} // namespace
} // namespace veltra::test
