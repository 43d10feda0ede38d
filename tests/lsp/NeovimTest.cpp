// A client no one on this project wrote: Neovim's built-in one, headless,
// gets the check's errors and the help text of a word from veltra-lsp.
// Neovim is one of the packages ./test.sh installs, so there (and in any CI,
// which sets CI) a missing one fails the test; a developer's ctest without it
// skips it, saying so.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "help/HelpTexts.h"

namespace {

TEST(Neovim, ItsBuiltInClientGetsTheDiagnosticsAndAHover) {
    const QString nvim = QStandardPaths::findExecutable("nvim");
    if (nvim.isEmpty()) {
        if (!qEnvironmentVariableIsEmpty("CI") || qEnvironmentVariableIntValue("VELTRA_REQUIRE_NEOVIM") == 1)
            FAIL() << "nvim (package neovim, scripts/deps.sh) is missing, and this run requires it";
        GTEST_SKIP() << "nvim (package neovim, scripts/deps.sh) is missing";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath("program.vel");
    const QString result = dir.filePath("result.json");
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("свд = ж,7\nсвд_1 = х\nпереход метка_4\n");
    file.close();

    QProcess session;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELTRA_LSP", VELTRA_LSP);
    env.insert("VELTRA_PROGRAM", program);
    env.insert("VELTRA_RESULT", result);
    // Neovim's own files (its log, shada, swap) stay in the temporary folder.
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        env.insert(var, dir.path());
    session.setProcessEnvironment(env);
    session.start(nvim, {"--headless", "-u", "NONE", "-i", "NONE", "-n", "-c", QString("luafile ") + VELTRA_NVIM_SCRIPT});
    ASSERT_TRUE(session.waitForStarted());
    if (!session.waitForFinished(90000)) {
        session.kill();
        session.waitForFinished();
        FAIL() << "nvim did not finish: " << session.readAll().toStdString();
    }

    QFile report(result);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly)) << session.readAll().toStdString();
    const QJsonObject got = QJsonDocument::fromJson(report.readAll()).object();
    const QJsonArray diagnostics = got["diagnostics"].toArray();
    ASSERT_EQ(diagnostics.size(), 2) << QJsonDocument(got).toJson().toStdString();
    EXPECT_EQ(diagnostics[0]["lnum"], 1);
    EXPECT_EQ(diagnostics[0]["message"], "[стр.  2] ОШИБКА: параметр команды");
    EXPECT_EQ(diagnostics[1]["lnum"], 2);
    EXPECT_EQ(diagnostics[1]["message"], "ОШИБКА: неверная метка [ 4 ] !");
    const QString led = veltra::toQStringList(veltra::findLanguageHelpTopic("Label4")->lines).join('\n');
    EXPECT_TRUE(got["hover"].toString().contains(led)) << got["hover"].toString().toStdString();
    EXPECT_TRUE(got["stopped"].toBool());
}

} // namespace
