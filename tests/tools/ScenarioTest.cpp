// veltra-board --scenario run as a process: the report of a scenario that
// fails, the summary of one that holds, and the mistakes that stop a run.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

#include "tests/support/BytesFolder.h"
#include "tools/veltra-board/ScenarioRun.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class Scenario : public ::testing::Test {
  protected:
    void SetUp() override {
        // Lights LED 1 red and counts in А the 0.1 s turns button 1 is held.
        writeProgram("counter.txt", "метка_1:\r\nсвд_1 = к\r\nесли кн_1==вкл тогда А=А+1\r\n"
                                    "пауза+\r\nпереход метка_1\r\n");
    }

    void writeProgram(const char* name, const char* utf8) {
        QStringEncoder cp1251("windows-1251");
        write(name, cp1251.encode(QString::fromUtf8(utf8)));
    }

    QString write(const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    ToolRun run(const QByteArray& scenario) {
        const QString path = write("s.scenario", scenario);
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(VELTRA_BOARD_EXE),
                      {QStringLiteral("--scenario"), QStringLiteral("s.scenario")});
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }

    QTemporaryDir dir;
};

TEST_F(Scenario, EachFailedExpectationIsReportedWithWhatWasFound) {
    const ToolRun r = run("# button 1 held over three turns\n"
                      "program counter.txt\n"
                      "at 50ms\n"
                      "expect свд_1 = к,15\n"
                      "expect свд = к          # only LED 1 is lit\n"
                      "press кн_1\n"
                      "wait 0.3s\n"
                      "release кн_1\n"
                      "expect А = 3\n"
                      "expect реле_1 = вкл\n"
                      "set В = 7\n"
                      "expect В = 7\n"
                      "expect порт_1 = 01000000\n"
                      "at 1.2s\n"
                      "expect stopped\n");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "s.scenario:5: at 0.05s: expected свд = к, found к,15 ч,0 ч,0 ч,0 ч,0 ч,0 ч,0 ч,0 ч,0 "
                     "ч,0 ч,0 ч,0 ч,0\n"
                     "s.scenario:10: at 0.35s: expected реле_1 = вкл, found выкл\n"
                     "s.scenario:13: at 0.35s: expected порт_1 = 01000000, found 10000000\n"
                     "s.scenario:15: at 1.2s: expected stopped, found running\n"
                     "s.scenario: 4 of 7 expectations failed\n");
}

TEST_F(Scenario, AScenarioThatHoldsExitsWithZero) {
    const ToolRun r = run("program counter.txt\nat 0.35s\nexpect свд = к ч ч ч ч ч ч ч ч ч ч ч ч\n"
                      "expect порт_1 = 10000000\nexpect порт_1.1 = 1\nexpect А = 0\nexpect running\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "s.scenario: all 5 expectations held\n");
}

TEST_F(Scenario, NamesAndQuotedTextAreOneLineOfVisibleTextInEveryReport) {
    const QByteArray name = "odd\nforged.scenario:1: at 0s: expected nothing\x1b[2J.scenario";
    QFile file(dir.path() + "/" + QString::fromLatin1(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("program counter.txt\nexpect А = 9\nexpect В = \x1b]0;title\a\n");
    file.close();
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(VELTRA_BOARD_EXE), {QStringLiteral("--scenario"), QString::fromLatin1(name)});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_EQ(process.readAllStandardError().toStdString(),
              "odd\\nforged.scenario:1: at 0s: expected nothing\\e[2J.scenario:3: error: "
              "value \\e]0;title\\a is not from 0 to 255\n");
}

TEST_F(Scenario, AScenarioInAFolderWhoseNameIsNotUtf8FindsItsProgram) {
    // "Плата" in Windows-1251, below the folder that holds counter.txt.
    const std::string top = dir.path().toStdString();
    const veltra::test::BytesFolder made(top + "/\xcf\xeb\xe0\xf2\xe0");
    ASSERT_TRUE(made.made());
    const std::string& folder = made.path();
    std::ofstream(folder + "/counter.txt") << std::ifstream(top + "/counter.txt").rdbuf();
    const struct {
        std::string scenario;
        std::string program;
    } cases[] = {
        {folder + "/s.scenario", "counter.txt"},
        {folder + "/s.scenario", "../counter.txt"},
        {folder + "//s.scenario", "counter.txt"},
        {folder + "/s.scenario", top + "/counter.txt"}, // the scenario's own text is UTF-8
    };
    for (const auto& c : cases) {
        std::ofstream(folder + "/s.scenario") << "program " << c.program << "\nat 50ms\nexpect свд_1 = к\n";
        std::ostringstream out, err;
        EXPECT_EQ(veltra::board_sim::runScenarioFile(c.scenario, out, err), 0)
            << c.program << ": " << err.str();
    }
}

TEST_F(Scenario, MistakesInTheScenarioOrItsProgramStopTheRunWithExitCode2) {
    writeProgram("broken.txt", "свд_1 = к\r\nпауза 5\r\n");
    struct Case {
        const char* scenario;
        const char* error;
    };
    const Case cases[] = {
        {"at 1s\n", "s.scenario:1: error: the scenario must name its program first\n"},
        {"program counter.txt\nwait 5 minutes\n",
         "s.scenario:2: error: \"5 minutes\" is not a time such as 2s, 1.5s or 250ms\n"},
        {"program counter.txt\nat 2s\nat 1500ms\n",
         "s.scenario:3: error: at 1.5s lies before 2s, where the scenario is\n"},
        {"program counter.txt\nwait 3000s\nwait 601s\n",
         "s.scenario:3: error: the scenario would run past 3600s\n"},
        {"program counter.txt\nexpect свд_14 = к\n", "s.scenario:2: error: LED 14 is not from 1 to 13\n"},
        {"program counter.txt\nexpect свд = к к\n",
         "s.scenario:2: error: свд takes one value for all LEDs or thirteen, LED 1 first\n"},
        {"program counter.txt\nexpect порт_1 = 0100\n",
         "s.scenario:2: error: \"0100\" is not eight bits such as 01000000\n"},
        {"program counter.txt\nblink свд_1\n",
         "s.scenario:2: error: unknown word \"blink\" (program, at, wait, press, release, set or expect)\n"},
        {"\n# nothing\n", "s.scenario: error: the scenario names no program (program FILE)\n"},
        {"program missing.txt\n",
         "s.scenario:1: error: cannot open ./missing.txt: No such file or directory\n"},
        {"program broken.txt\n",
         "s.scenario:1: error: ./broken.txt does not check: [стр.  2] ОШИБКА: параметр команды\n"},
        {"program counter.txt\n\xff\n", "s.scenario: error: the scenario is not UTF-8 text\n"},
    };
    for (const Case& c : cases) {
        const ToolRun r = run(c.scenario);
        EXPECT_EQ(r.exitCode, 2) << c.scenario;
        EXPECT_EQ(r.err, c.error) << c.scenario;
        EXPECT_EQ(r.out, "") << c.scenario;
    }
}

} // namespace
