#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "app/editor/EditorText.h"
#include "files/AppError.h"
#include "files/Cp1251.h"
#include "files/ProgramText.h"
#include "files/Settings.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScopedFileSizeLimit.h"

using namespace veltra;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

TEST(ProgramText, ReadsEveryKindOfLineEnd) {
    QTemporaryDir dir;
    QString path = dir.filePath("p.txt");
    writeAll(path, "a\r\nb\nc\rd\r\n\xd1\xe2\xe4");
    EXPECT_EQ(readProgramFile(path), QStringLiteral("a\nb\nc\nd\nСвд"));
}

TEST(ProgramText, AMissingFileIsReportedByName) {
    QTemporaryDir dir;
    QString path = dir.filePath("none.txt");
    try {
        readProgramFile(path);
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.text(), "Cannot open file " + path);
    }
}

TEST(ProgramText, WritesWindows1251WithCrLfAfterEveryLine) {
    QTemporaryDir dir;
    QString path = dir.filePath("p.txt");
    writeProgramFile(path, {QStringLiteral("свд = ж,7"), QString(), QStringLiteral("пауза+")});
    EXPECT_EQ(readAll(path), "\xf1\xe2\xe4 = \xe6,7\r\n\r\n\xef\xe0\xf3\xe7\xe0+\r\n");
}

TEST(ProgramText, FindsTheFirstCharacterWithoutAByte) {
    struct Case {
        QStringList lines;
        int line;
        int column;
        QString character;
    };
    const Case cases[] = {
        {{"abc", "€ и № и ¤"}, -1, 0, {}}, // all of these have bytes
        {{"ok", "", "свд Ω", "ж ♥"}, 2, 4, QStringLiteral("Ω")},
        {{"a😀b"}, 0, 1, QStringLiteral("😀")},
        {{"a\u2028b"}, 0, 1, QStringLiteral("\u2028")},
    };
    for (const Case& c : cases) {
        auto bad = findUnencodable(c.lines);
        if (c.line < 0) {
            EXPECT_FALSE(bad.has_value()) << c.lines.join('|').toStdString();
            continue;
        }
        ASSERT_TRUE(bad.has_value()) << c.lines.join('|').toStdString();
        EXPECT_EQ(bad->line, c.line);
        EXPECT_EQ(bad->column, c.column);
        EXPECT_EQ(bad->character, c.character);
    }
}

TEST(ProgramText, ASaveCutShortLeavesTheOldFileByteForByte) {
    QTemporaryDir dir;
    QString path = dir.filePath("p.txt");
    const QByteArray before = "old program\r\n";
    writeAll(path, before);
    QString error;
    try {
        test::ScopedFileSizeLimit limit(64);
        writeProgramFile(path, QStringList(20, QStringLiteral("свд = ж,7")));
    } catch (const AppError& e) {
        error = e.text();
    }
    EXPECT_EQ(error, "Cannot create file " + path);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"p.txt"}); // no leftovers
}

TEST(ProgramText, DefaultSuffixOnlyForANameWithoutExtension) {
    EXPECT_EQ(withDefaultSuffix("/x/prog", "txt"), "/x/prog.txt");
    EXPECT_EQ(withDefaultSuffix("/x.d/prog", "txt"), "/x.d/prog.txt");
    EXPECT_EQ(withDefaultSuffix("/x/prog.vel", "txt"), "/x/prog.vel");
    EXPECT_EQ(withDefaultSuffix("/x/prog.txt", "txt"), "/x/prog.txt");
}

TEST(EditorText, AnEmptyLastLineIsNotCounted) {
    struct Case {
        const char* text;
        int lines;
        int length;
    };
    const Case cases[] = {
        {"", 0, 0},          {"\n", 1, 2},    {"abc", 1, 5},         {"abc\n", 1, 5},
        {"a\nb\nc\n", 3, 9}, {"a\n\n", 2, 5}, {"свд\nпауза", 2, 12},
    };
    for (const Case& c : cases) {
        QTextDocument document;
        document.setPlainText(QString::fromUtf8(c.text));
        EXPECT_EQ(countedLineCount(document), c.lines) << c.text;
        EXPECT_EQ(countedTextLength(document), c.length) << c.text;
        EXPECT_EQ(countedLines(document).size(), c.lines) << c.text;
    }
}

TEST(EditorText, TheWholeTextReadAtOnceGivesTheLinesTheBlocksHold) {
    // What a reading of the whole text could change: a no-break space, a
    // line separator inside a line, a code point beyond 16 bits, a lone
    // surrogate, empty lines, the empty last line.
    const QString nbsp(QChar::Nbsp);
    const QString cases[] = {"",
                             "\n",
                             "свд\n\nпауза",
                             "свд" + nbsp + "= ж,7\n",
                             QString("a") + QChar::LineSeparator + "b",
                             "// 😀\n\n",
                             QString(QChar(0xD800)) + "x"};
    for (const QString& text : cases) {
        QTextDocument document;
        QTextCursor(&document).insertText(text);
        QStringList blocks;
        for (QTextBlock block = document.firstBlock(); block.isValid(); block = block.next())
            blocks << block.text();
        QStringList counted = blocks;
        if (counted.last().isEmpty()) counted.removeLast();
        int length = 0;
        std::vector<std::u32string> source;
        for (const QString& line : counted) {
            length += int(line.size()) + 2;
            source.push_back(line.toStdU32String());
        }
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(countedLines(document), counted);
        EXPECT_EQ(countedTextLength(document), length);
        EXPECT_EQ(sourceLines(document), source);
        EXPECT_EQ(wholeText(document), blocks.join('\n'));
    }
}

TEST(EditorText, IndicatorAndClockTexts) {
    EXPECT_EQ(lineIndicatorText(5, 12), QStringLiteral("стр.=  5 /  12"));
    EXPECT_EQ(lineIndicatorText(1000, 1000), QStringLiteral("стр.=1000 / 1000"));
    QDateTime at(QDate(2024, 3, 7), QTime(9, 5, 4));
    EXPECT_EQ(clockText(at, QLocale::c()), QStringLiteral(" 07/03/2024    09:05:04 "));
    EXPECT_EQ(clockText(at, QLocale(QLocale::German)), QStringLiteral(" 07.03.2024    09:05:04 "));
}

TEST(ProgramText, ASaveNeverReplacesWhatIsNotARegularFile) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    const QString link = dir.filePath("link-to-fifo");
    const QString dangling = dir.filePath("link-to-nothing");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0640), 0);
    ASSERT_EQ(::symlink("fifo", QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(::symlink("nothing", QFile::encodeName(dangling).constData()), 0);
    const QString folder = dir.filePath("folder");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));

    auto failureOf = [](const std::function<void()>& save) {
        try {
            save();
        } catch (const AppError& e) {
            return e.text();
        }
        return QStringLiteral("saved");
    };
    for (const QString& path : {fifo, link, dangling, folder}) {
        EXPECT_EQ(failureOf([&] { writeProgramFile(path, {"свд = ж,7"}); }), "Cannot create file " + path);
        EXPECT_EQ(failureOf([&] { writeSettingsTo(path, Settings{}); }), "Unable to write to " + path);
    }
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), fifo);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("nothing")));
    EXPECT_TRUE(QDir(folder).isEmpty());
}
