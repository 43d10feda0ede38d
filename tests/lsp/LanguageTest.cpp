// The pieces of the server in process: the help topic of a word, the labels
// of a line, positions in each unit, the framing reader, and completion and
// hover on single lines.

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "compiler/LanguageWords.h"
#include "compiler/LineCompiler.h"
#include "language/LabelUses.h"
#include "language/WordTopics.h"
#include "tests/support/QtPrinters.h"
#include "tools/veltra-lsp/Document.h"
#include "tools/veltra-lsp/Features.h"
#include "tools/veltra-lsp/MessageReader.h"

using namespace veltra;
using namespace veltra::lsp;

namespace {

QString qs(std::u32string_view word) {
    return QString::fromStdU32String(std::u32string(word));
}

TEST(WordTopics, EveryWordOfTheCompilerHasATopicThatSpeaksOfIt) {
    std::vector<std::u32string_view> words(programKeywords().begin(), programKeywords().end());
    words.insert(words.end(), {lang::kThenWords[0], lang::kThenWords[1], lang::kButtonWord, lang::kStoreWord});
    for (std::u32string_view word : words) {
        SCOPED_TRACE(qs(word).toStdString());
        const HelpTopic* topic = topicOfWord(word);
        ASSERT_NE(topic, nullptr);
        QString name = qs(word).toLower();
        if (name.endsWith('_')) name.chop(1);
        EXPECT_TRUE(toQStringList(topic->lines).join('\n').toLower().contains(name));
    }
    for (std::u32string_view other : {U"свдх", U"Пауза", U"порта", U"х", U""})
        EXPECT_EQ(topicOfWord(other), nullptr) << qs(other).toStdString();
}

TEST(WordTopics, AParameterIsExplainedByTheObjectItSets) {
    struct Case {
        const char* line;
        const char* word; // its first occurrence
        const char* topic;
    };
    const Case cases[] = {
        {"свд_1 = ж,7", "ж", "Label4"},
        {"если кн_1==вкл тогда реле_1 = выкл", "вкл", "Label12"},
        {"если кн_1==вкл тогда реле_1 = выкл", "выкл", "Label5"},
        {"порт_1.3 = вкл", "вкл", "Label3"},
        {"сохр_2 = свд_4", "свд_4", "Label4"},
        {"А=А+В", "В", "Label6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const QString line = QString::fromUtf8(c.line);
        const QString word = QString::fromUtf8(c.word);
        const HelpTopic* topic = topicAt(line, int(line.indexOf(word)), int(word.size()));
        ASSERT_NE(topic, nullptr);
        EXPECT_EQ(topic->label, c.topic);
    }
    EXPECT_EQ(topicTitle(*findLanguageHelpTopic("Label4")), "объект управления светодиод ( свд )");
}

TEST(LabelUses, ALineDefinesWhatTheCompilerSaysAndJumpsWhereItNamesALabel) {
    struct Case {
        const char* line;
        std::vector<LabelUse> uses;
    };
    const Case cases[] = {
        {"метка_5:", {{5, 0, 7, 6, 1, true}}},
        {"метка_5 :", {{5, 0, 7, 6, 1, true}}},
        {"метка_12 :", {{12, 0, 8, 6, 2, false}}}, // the ':' stands too far for the compiler
        {"переход метка_12", {{12, 8, 8, 14, 2, false}}},
        {"если А>1 тогда переход МЕТКА_3", {{3, 23, 7, 29, 1, false}}},
        {"метка_3: переход метка_3", {{3, 0, 7, 6, 1, true}, {3, 17, 7, 23, 1, false}}},
        {"метка_5", {{5, 0, 7, 6, 1, false}}}, // no ':': no definition, still the label's name
        {"метка_0:", {}},
        {"переход метка_16", {}},
        {"переход метка_005", {}},
        {"// метка_1:", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(labelUses(QString::fromUtf8(c.line)), c.uses);
    }
    const std::pair<const char*, int> names[] = {{"метка_7", 7}, {"МЕТКА_15", 15}, {"7", 7}, {" 3 ", 3},
                                                 {"метка_16", 0}, {"0", 0}, {"x", 0}, {"", 0}, {"метка_", 0}};
    for (const auto& [name, number] : names)
        EXPECT_EQ(labelNumberOfName(QString::fromUtf8(name)), number) << name;
}

TEST(Document, PositionsCountInTheAgreedUnit) {
    // "ж" is 2 bytes of UTF-8, "😀" 4 bytes, two UTF-16 units, one code point.
    const QString line = QStringLiteral("aж😀b");
    struct Case {
        PositionEncoding encoding;
        int units;  // of the whole line
        int bIndex; // the units before "b"
    };
    const Case cases[] = {{PositionEncoding::Utf8, 8, 7}, {PositionEncoding::Utf16, 5, 4}, {PositionEncoding::Utf32, 4, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(encodingName(c.encoding).toStdString());
        EXPECT_EQ(unitsOf(line, c.encoding), c.units);
        EXPECT_EQ(utf16Index(line, c.bIndex, c.encoding), 4);
        EXPECT_EQ(utf16Index(line, c.units + 10, c.encoding), 5); // past the end: the end
        EXPECT_EQ(utf16Index(line, c.bIndex - 1, c.encoding), 2); // the smiley's start
    }
    // Inside a character: that character's start.
    EXPECT_EQ(utf16Index(line, 2, PositionEncoding::Utf8), 1);
    EXPECT_EQ(utf16Index(line, 3, PositionEncoding::Utf16), 2);
}

TEST(Document, LinesEndAtCrLfLfOrCrAndEditsLandWhereTheClientMeant) {
    Document doc(QStringLiteral("свд = ж\r\nпауза\rА=1\n"), 1);
    ASSERT_EQ(doc.lineCount(), 4);
    EXPECT_EQ(doc.lineText(0), "свд = ж");
    EXPECT_EQ(doc.lineText(1), "пауза");
    EXPECT_EQ(doc.lineText(2), "А=1");
    EXPECT_EQ(doc.lineText(3), "");
    EXPECT_EQ(doc.checkLines().size(), 3u); // a final line end opens no line for the check
    // An edit across a line end joins the two lines.
    doc.replace(doc.offsetOf(0, 7, PositionEncoding::Utf16), doc.offsetOf(1, 0, PositionEncoding::Utf16), ",7 ", 2);
    EXPECT_EQ(doc.lineText(0), "свд = ж,7 пауза");
    EXPECT_EQ(doc.lineCount(), 3);
    EXPECT_EQ(doc.version(), 2);
    // Positions past the end are clamped.
    EXPECT_EQ(doc.offsetOf(99, 0, PositionEncoding::Utf16), doc.text().size());
    EXPECT_EQ(doc.offsetOf(0, 99, PositionEncoding::Utf16), 15);
}

TEST(MessageReader, MessagesComeWholeHoweverTheBytesArrive) {
    const QByteArray stream = "Content-Length: 2\r\n\r\n{}content-length:  4\nContent-Type: application/json; charset=utf8\n\n[12]";
    for (std::size_t piece : {std::size_t(1), std::size_t(3), std::size_t(1000)}) {
        MessageReader reader;
        std::vector<QByteArray> bodies;
        for (qsizetype i = 0; i < stream.size(); i += qsizetype(piece)) {
            reader.feed(stream.constData() + i, std::min<std::size_t>(piece, std::size_t(stream.size() - i)));
            while (auto frame = reader.next()) {
                EXPECT_TRUE(frame->fault.isEmpty()) << frame->fault.toStdString();
                bodies.push_back(frame->body);
            }
        }
        EXPECT_EQ(bodies, (std::vector<QByteArray>{"{}", "[12]"})) << piece;
        EXPECT_FALSE(reader.midMessage());
    }
}

TEST(MessageReader, RandomBytesNeverCrashItAndItFindsTheNextMessage) {
    QRandomGenerator random(25);
    for (int round = 0; round < 200; ++round) {
        MessageReader reader;
        QByteArray noise(int(random.bounded(20000)), Qt::Uninitialized);
        for (char& c : noise)
            c = char(random.bounded(256));
        if (round % 2 == 0) noise.prepend("Content-Length: 99999999999999999999\r\n");
        reader.feed(noise.constData(), std::size_t(noise.size()));
        while (reader.next()) {
        }
        const QByteArray good = "\r\n\r\nContent-Length: 2\r\n\r\n{}";
        // After a message of unknown extent the reader may still skip its
        // announced bytes; everything else resynchronises at the next header.
        reader.feed(good.constData(), std::size_t(good.size()));
        bool found = false;
        while (auto frame = reader.next())
            found = found || frame->body == "{}";
        if (round % 2 == 1) {
            EXPECT_TRUE(found) << round;
        }
    }
}

// What a stream holds, fed whole or a byte at a time.
std::vector<Frame> framesOf(const QByteArray& stream, bool byteByByte) {
    MessageReader reader;
    std::vector<Frame> frames;
    for (qsizetype at = 0; at < stream.size(); at += byteByByte ? 1 : stream.size()) {
        reader.feed(stream.constData() + at, byteByByte ? 1 : std::size_t(stream.size()));
        while (auto frame = reader.next())
            frames.push_back(*frame);
    }
    return frames;
}

TEST(MessageReader, AnOverlongHeaderLineIsDroppedHoweverItArrivesAndTakesItsMessagesHeadersWithIt) {
    const QByteArray longLine = "X-Note: " + QByteArray(9000, 'a') + "\r\n";
    const QString tooLong = QStringLiteral("a header line longer than 8192 bytes");
    struct Case {
        const char* what;
        QByteArray stream;
        std::vector<std::pair<QByteArray, QString>> frames; // body, fault
    };
    const Case cases[] = {
        {"a long line with its end", longLine + "Content-Length: 2\r\n\r\n{}", {{"", tooLong}, {"{}", ""}}},
        // The length before the long line is no longer the next message's.
        {"a length left from the dropped message",
         "Content-Length: 5\r\n" + longLine + "Content-Length: x\r\n\r\nContent-Length: 2\r\n\r\n{}",
         {{"", tooLong}, {"", "Content-Length is not a number of bytes"}, {"{}", ""}}},
    };
    for (const Case& c : cases) {
        for (bool byteByByte : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (byteByByte ? ", byte by byte" : ", whole"));
            std::vector<std::pair<QByteArray, QString>> got;
            for (const Frame& frame : framesOf(c.stream, byteByByte))
                got.emplace_back(frame.body, frame.fault);
            EXPECT_EQ(got, c.frames);
        }
    }
}

QStringList completionsAt(const QString& line) {
    QStringList words;
    for (const CompletionItem& item : completion(Document(line, 1), {0, int(line.size())}))
        words << item.word;
    return words;
}

TEST(Completion, OnlyWordsTheCompilerTakesThereAreOffered) {
    EXPECT_EQ(completionsAt("реле_2 = "), QStringList({"вкл", "выкл"}));
    EXPECT_EQ(completionsAt("если В<7 "), QStringList({"тогда"}));
    EXPECT_EQ(completionsAt("если кн_3=="), QStringList({"вкл", "выкл"}));
    EXPECT_TRUE(completionsAt("// свд = ").isEmpty());
    const QStringList led = completionsAt("свд_4 = ");
    for (const char* word : {"вкл", "выкл", "ж", "б", "А", "сохр_1"})
        EXPECT_TRUE(led.contains(QString::fromUtf8(word))) << word;
    EXPECT_FALSE(led.contains("переход")); // "свд = п..." compiles, but only the п is read
    const QStringList start = completionsAt("  ");
    for (const char* word : {"пауза", "свд_13", "если", "метка_", "реле_2", "А", "вм"})
        EXPECT_TRUE(start.contains(QString::fromUtf8(word))) << word;
    for (const char* word : {"свд_14", "реле_3", "кн_1", "вкл", "тогда", "ЕСЛИ"})
        EXPECT_FALSE(start.contains(QString::fromUtf8(word))) << word;
    EXPECT_TRUE(completionsAt("А=").contains("А"));
}

TEST(Hover, ANumberShowsItsValueAndWhatTheCompilerTakesInItsPlace) {
    struct Case {
        const char* line;
        int character;
        const char* text;
    };
    const Case cases[] = {
        {"свд_1 = ж,7", 10, "**7** — допустимо: 0…15"},
        {"пауза=020", 7, "**20** — допустимо: 0…255"},
        {"если кн_2==вкл тогда А=А+1", 25, "**1** — допустимо: 0…255"},
        {"порт_1 = 00110011", 10, "**00110011** — команда 0x21CC"},
        {"свд_1 = х,7", 10, "**7**"}, // a broken line: no range to tell
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::optional<Hover> h = hover(Document(QString::fromUtf8(c.line), 1), {0, c.character});
        ASSERT_TRUE(h);
        EXPECT_EQ(h->markdown, QString::fromUtf8(c.text));
    }
}

} // namespace
