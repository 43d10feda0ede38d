// The server's diagnostics are the check's: for every example and for broken
// variants of them, the first equals what veltra-check reports (message and
// line) and the whole list is the live check's list (findProgramErrors), the
// core of the editor's marks.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <map>

#include "compiler/ProgramCheck.h"
#include "files/SourceLines.h"
#include "tests/lsp/LspClient.h"

using namespace veltra;
using namespace veltra::test;

namespace {

struct Variant {
    QString name;
    QString text; // as the client holds it (decoded, CR LF kept)
};

QString readExample(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QStringDecoder("windows-1251").decode(file.readAll());
}

// Ways a program goes wrong: a command that loses its '=', a number turned
// into a letter, a label defined twice or not at all, a bad line start, a
// line too long, more than 1000 words.
std::vector<Variant> variantsOf(const QString& name, const QString& text) {
    std::vector<Variant> variants{{name, text}};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    const auto add = [&](const QString& what, const QStringList& changed) {
        variants.push_back({name + "-" + what, changed.join(QStringLiteral("\r\n"))});
    };
    QStringList broken = lines;
    int changes = 0;
    for (int i = 0; i < broken.size(); ++i) {
        if (broken[i].startsWith(QStringLiteral("//")) || i % 5 != 2) continue;
        const qsizetype eq = broken[i].indexOf('=');
        const qsizetype digit = broken[i].indexOf(QRegularExpression(QStringLiteral("[0-9]")));
        if (changes % 2 == 0 && eq >= 0)
            broken[i].remove(eq, 1);
        else if (digit >= 0)
            broken[i][digit] = QChar(u'х');
        ++changes;
    }
    add("broken", broken);
    const qsizetype label = lines.indexOf(QRegularExpression(QStringLiteral("^метка_\\d+:")));
    if (label >= 0) {
        QStringList twice = lines;
        twice.insert(twice.size() - 1, lines[label]);
        add("label-twice", twice);
        QStringList missing = lines;
        missing.removeAt(label);
        add("label-missing", missing);
    }
    QStringList start = lines;
    start.insert(1, QStringLiteral("/ не комментарий"));
    start.insert(3, QStringLiteral("свд = ") + QString(125, QChar(u'ж')));
    add("line-start-and-length", start);
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many += lines;
    add("over-1000-words", many);
    return variants;
}

// What veltra-check --json says of each file: its message and line, by name.
std::map<QString, QJsonObject> checkerReports(const QStringList& files) {
    QProcess check;
    check.start(QStringLiteral(VELTRA_CHECK), QStringList{"--json"} + files);
    EXPECT_TRUE(check.waitForFinished(120000));
    std::map<QString, QJsonObject> reports;
    for (const QByteArray& line : check.readAllStandardOutput().split('\n')) {
        if (line.isEmpty()) continue;
        const QJsonObject report = QJsonDocument::fromJson(line).object();
        reports[QFileInfo(report["file"].toString()).completeBaseName()] = report;
    }
    return reports;
}

TEST(LspDiagnostics, EveryExampleAndItsBrokenVariantsGetTheChecksErrors) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<Variant> variants;
    for (const QFileInfo& example : QDir(QStringLiteral(VELTRA_EXAMPLES)).entryInfoList({"*.txt"}, QDir::Files)) {
        for (Variant& v : variantsOf(example.completeBaseName(), readExample(example.filePath())))
            variants.push_back(std::move(v));
    }
    ASSERT_GE(variants.size(), 5u * 6u);

    QStringList files;
    for (const Variant& v : variants) {
        QFile file(dir.filePath(v.name + ".txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringEncoder("windows-1251").encode(v.text));
        files << file.fileName();
    }
    const std::map<QString, QJsonObject> reports = checkerReports(files);

    LspClient client;
    client.initialize();
    int failing = 0;
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name.toStdString());
        const QString uri = QStringLiteral("file:///examples/") + v.name + QStringLiteral(".vel");
        client.open(uri, v.text);
        const std::optional<QJsonArray> marks = client.diagnostics(uri);
        ASSERT_TRUE(marks);

        const std::vector<CheckReport> expected = findProgramErrors(splitLines(v.text.toStdU32String()));
        ASSERT_EQ(marks->size(), qsizetype(expected.size()));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(std::as_const(*marks)[qsizetype(i)]["message"].toString().toStdString(), expected[i].message);
            EXPECT_EQ(std::as_const(*marks)[qsizetype(i)]["range"]["start"]["line"], expected[i].line - 1);
        }

        ASSERT_EQ(reports.count(v.name), 1u);
        const QJsonObject& report = reports.at(v.name);
        EXPECT_EQ(report["ok"].toBool(), marks->isEmpty());
        if (!marks->isEmpty()) {
            ++failing;
            EXPECT_EQ(std::as_const(*marks)[0]["message"], report["message"]);
            EXPECT_EQ(std::as_const(*marks)[0]["range"]["start"]["line"].toInt() + 1, report["line"].toInt());
        }
        client.notify("textDocument/didClose", {{"textDocument", textDocument(uri)}});
        const std::optional<QJsonArray> cleared = client.diagnostics(uri);
        ASSERT_TRUE(cleared);
        EXPECT_TRUE(cleared->isEmpty());
    }
    // The examples themselves are good; every variant of them is not.
    EXPECT_EQ(failing, int(variants.size()) - 5);
}

} // namespace
