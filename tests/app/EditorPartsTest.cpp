// The editor's parts on their own: the colouring's reading of the language,
// its colours, the find bar's search, the printed form, the change detection,
// Qt's Russian texts.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <functional>

#include "app/editor/ChangeDetection.h"
#include "app/editor/EditorPalette.h"
#include "app/editor/EditorText.h"
#include "app/editor/FindBar.h"
#include "app/editor/ProgramEdit.h"
#include "app/editor/ProgramHighlighter.h"
#include "app/editor/ProgramPrinter.h"
#include "app/settings/EditorColours.h"
#include "app/shell/Translations.h"
#include "compiler/LineCompiler.h"
#include "language/ProgramTokens.h"
#include "tests/support/QtPrinters.h"

using namespace veltra;

namespace {

using K = TokenKind;

TEST(ProgramTokens, EveryKeywordOfTheCompilersTableIsColouredAndNothingElse) {
    for (std::u32string_view lead : programKeywords()) {
        const QString word = QString::fromStdU32String(std::u32string(lead));
        const QString text = word.endsWith('_') ? word + "1" : word;
        SCOPED_TRACE(text.toStdString());
        const std::vector<Token> tokens = programTokens(text);
        ASSERT_EQ(tokens.size(), 1u);
        EXPECT_EQ(tokens[0].length, text.size());
        EXPECT_NE(tokens[0].kind, K::Number);
        // The same word changed by one letter is no keyword to the compiler.
        EXPECT_TRUE(programTokens(word + QStringLiteral("ы")).empty());
    }
    EXPECT_TRUE(programTokens(QStringLiteral("Пауза прыжок")).empty());
}

TEST(ProgramTokens, LinesAreReadAsTheCompilerReadsThem) {
    struct Case {
        const char* line;
        std::vector<Token> tokens;
    };
    const Case cases[] = {
        {"если кн_1==вкл тогда переход метка_12",
         {{0, 4, K::Keyword},
          {5, 4, K::Object},
          {11, 3, K::Parameter},
          {15, 5, K::Keyword},
          {21, 7, K::Keyword},
          {29, 8, K::Label}}},
        {"метка_5:", {{0, 8, K::Label}}},
        {"порт_1.3 = 1", {{0, 8, K::Object}, {11, 1, K::Number}}},
        {"свд = ж,7", {{0, 3, K::Keyword}, {6, 1, K::Parameter}, {8, 1, K::Number}}},
        {"А=А+25", {{0, 1, K::Object}, {2, 1, K::Object}, {4, 2, K::Number}}},
        {"// если А>1", {{0, 11, K::Comment}}},
        {"  // not a comment to the compiler", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(programTokens(QString::fromUtf8(c.line)), c.tokens);
    }
}

TEST(EditorPalette, TheWordsKeepTheUsersColourAndItsShadesAreReadableOnEveryBackgroundTheSettingsOffer) {
    for (int index = 0; index < 3; ++index) {
        const QColor background = *backgroundColour(index);
        SCOPED_TRACE(background.name().toStdString());
        for (int textIndex = 0; textIndex < 5; ++textIndex) {
            const QColor text = *textColour(textIndex);
            SCOPED_TRACE(text.name().toStdString());
            const TokenColours t = tokenColours(background, text);
            EXPECT_EQ(t.keyword, text);
            EXPECT_EQ(t.object, text);
            EXPECT_EQ(t.parameter, text);
            for (const QColor& shade : {t.number, t.label, t.comment}) {
                EXPECT_GE(contrastRatio(shade, background), 4.5) << shade.name().toStdString();
                EXPECT_NE(shade, text);
            }
            // The running line's band keeps readable text readable, and its
            // dimmer shades at least as plain as large text needs.
            const QColor band = gutterColours(background).runBand;
            if (contrastRatio(text, background) >= 4.5) {
                EXPECT_GE(contrastRatio(text, band), 4.5);
            }
            for (const QColor& shade : {t.number, t.label, t.comment})
                EXPECT_GE(contrastRatio(shade, band), 3.0) << shade.name().toStdString();
        }
        const GutterColours g = gutterColours(background);
        EXPECT_GE(contrastRatio(g.number, g.background), 4.5);
        EXPECT_GE(contrastRatio(g.caretNumber, g.caretBand), 4.5);
        EXPECT_GE(contrastRatio(g.mark, g.background), 3.0); // a shape, not text
    }
}

TEST(ProgramHighlighter, ColoursTheShownLinesOnlyWithoutTouchingTheTextOrItsUndoSteps) {
    ProgramEdit edit;
    edit.resize(300, 200);
    QStringList lines{"метка_1:", "свд = ж,7", "переход метка_1"};
    for (int i = 0; i < 2000; ++i)
        lines << "свд = ж,7";
    edit.setPlainText(lines.join('\n'));
    QTextDocument& document = *edit.document();
    // What reacts to edits (the live check, the recovery copy) listens to
    // contentsChange: a colouring pass must not look like an edit there.
    QSignalSpy edits(&document, &QTextDocument::contentsChange);
    ProgramHighlighter highlighter(edit);
    highlighter.setColours(Qt::white, Qt::blue);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QCoreApplication::processEvents();
    EXPECT_EQ(edits.count(), 0);
    EXPECT_EQ(document.toPlainText(), lines.join('\n'));
    EXPECT_EQ(document.availableUndoSteps(), 0);
    const QList<QTextLayout::FormatRange> formats = document.findBlockByNumber(1).layout()->formats();
    ASSERT_FALSE(formats.isEmpty());
    EXPECT_EQ(formats.front().format.foreground().color(), QColor(Qt::blue));
    // A line never shown costs nothing.
    EXPECT_TRUE(document.findBlockByNumber(1500).layout()->formats().isEmpty());

    // New colours reach the lines shown at their next paint.
    highlighter.setColours(Qt::black, Qt::yellow);
    QCoreApplication::processEvents();
    EXPECT_EQ(document.findBlockByNumber(1).layout()->formats().front().format.foreground().color(),
              QColor(Qt::yellow));
}

TEST(FindBar, FindsWhatTheDocumentsOwnSearchFinds) {
    ProgramEdit edit;
    edit.setPlainText(QString("Пауза пауза\nсвд") + QChar::Nbsp + "= ж,7\nпауза+\n");
    FindBar bar(edit);
    auto* field = bar.findChild<QLineEdit*>("findText");
    auto* matchCase = bar.findChild<QCheckBox*>("matchCase");
    struct Case {
        const char* text;
        int from, to; // the selection searched from
        bool backwards, matchCase;
    };
    const Case cases[] = {
        {"пауза", 0, 0, false, false},   {"пауза", 0, 5, false, false}, {"пауза", 6, 11, false, true},
        {"пауза", 6, 11, true, false},   {"пауза", 0, 0, true, false},  {"ПАУЗА", 29, 29, false, false},
        {"свд = ж", 0, 0, false, false}, {"уза", 8, 8, true, true},     {"нет", 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " from " + std::to_string(c.from));
        QTextCursor at(edit.document());
        at.setPosition(c.from);
        at.setPosition(c.to, QTextCursor::KeepAnchor);
        edit.setTextCursor(at);
        // QTextDocument::find, and round the text's end as the bar goes.
        QTextDocument::FindFlags flags;
        if (c.backwards) flags |= QTextDocument::FindBackward;
        if (c.matchCase) flags |= QTextDocument::FindCaseSensitively;
        QTextCursor expected = edit.document()->find(c.text, at, flags);
        if (expected.isNull()) {
            QTextCursor end(edit.document());
            if (c.backwards) end.movePosition(QTextCursor::End);
            expected = edit.document()->find(c.text, end, flags);
        }
        field->setText(c.text);
        matchCase->setChecked(c.matchCase);
        EXPECT_EQ(bar.findNext(c.backwards), !expected.isNull());
        const QTextCursor found = expected.isNull() ? at : expected;
        EXPECT_EQ(edit.textCursor().selectionStart(), found.selectionStart());
        EXPECT_EQ(edit.textCursor().selectionEnd(), found.selectionEnd());
    }
}

TEST(ProgramPrinter, APdfHoldsEveryLineWithItsNumberTheNameAndThePages) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils, scripts/deps.sh) is missing";
    QTemporaryDir dir;
    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines << QStringLiteral("свд_%1 = ж,%2").arg(i % 13 + 1).arg(i % 16);
    lines[6] = QStringLiteral("// строка семь");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("program.pdf"));
    ASSERT_TRUE(
        printProgram(printer, {"бегущий огонь.txt", QDateTime(QDate(2024, 3, 9), QTime(14, 5)), lines}));

    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), dir.filePath("program.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains("бегущий огонь.txt"));
    EXPECT_TRUE(printed.contains("09.03.2024 14:05"));
    // Every page is counted: "1 из N" up to "N из N".
    QStringList pages;
    for (const auto& page :
         QRegularExpression(QStringLiteral("Страница (\\d+) из (\\d+)")).globalMatch(printed))
        pages << page.captured(1) + "/" + page.captured(2);
    ASSERT_GE(pages.size(), 2) << printed.toStdString();
    for (int i = 0; i < pages.size(); ++i)
        EXPECT_EQ(pages[i], QStringLiteral("%1/%2").arg(i + 1).arg(pages.size()));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpression row(
            QStringLiteral("^\\s*%1\\s+%2\\s*$").arg(i + 1).arg(QRegularExpression::escape(lines[i])),
            QRegularExpression::MultilineOption);
        EXPECT_TRUE(row.match(printed).hasMatch()) << "line " << i + 1;
    }
}

// Each step starts with the save button disabled, as right after a save.
TEST(ChangeDetection, OnlyALengthThatDiffersIsAChangeAndATextPutInIsNone) {
    QPlainTextEdit edit;
    edit.setPlainText(QStringLiteral("\n"));
    QPushButton save;
    ChangeDetection changes(edit, save);
    const auto typeAtStart = [&](const QString& text) { QTextCursor(edit.document()).insertText(text); };
    const auto unsaved = [](const QString&) { return false; };
    const struct {
        const char* what;
        std::function<void()> act;
        bool savableAtOnce; // before the once-a-second pass
        bool changed;       // what that pass reports
    } steps[] = {
        {"nothing", [] {}, false, false},
        {"a typed letter", [&] { typeAtStart(QStringLiteral("a")); }, true, true},
        {"one letter for another",
         [&] {
             QTextCursor cursor(edit.document());
             cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor);
             cursor.insertText(QStringLiteral("b"));
         },
         false, false},
        {"a text put in by New or Open", [&] { changes.replaceText(QStringLiteral("свд = ж,7\nпауза 5\n"), unsaved); },
         false, true},
        {"a text put in and taken as unchanged",
         [&] {
             changes.replaceText(QStringLiteral("x\n"), unsaved);
             changes.takeAsUnchanged();
         },
         false, false},
        {"a line appended", [&] { appendProgramLines(*edit.document(), {QStringLiteral("реле_1 = вкл")}); },
         true, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        save.setEnabled(false);
        step.act();
        EXPECT_EQ(save.isEnabled(), step.savableAtOnce);
        EXPECT_EQ(changes.pass(), step.changed);
        EXPECT_EQ(save.isEnabled(), step.savableAtOnce || step.changed);
        EXPECT_EQ(changes.textLength(), countedTextLength(*edit.document()));
        EXPECT_EQ(changes.lastTextLength(), changes.textLength());
        EXPECT_FALSE(changes.pass()) << "a change is reported once";
    }
}

TEST(Translations, QtsOwnDialogsSpeakRussian) {
    const QLocale before;
    const auto russian = installRussianQtTexts();
    const QLocale after;
    QLocale::setDefault(before);
    EXPECT_EQ(after.language(), QLocale::Russian);
    ASSERT_NE(russian, nullptr) << "qtbase_ru.qm (qt6-translations-l10n, scripts/deps.sh) is missing";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Отмена");
    // The save dialog's overwrite question.
    const char* overwrite = "%1 already exists.\nDo you want to replace it?";
    EXPECT_NE(QCoreApplication::translate("QFileDialog", overwrite), overwrite);
}

} // namespace
