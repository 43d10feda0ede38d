// veltra-check run as a process: files in both encodings and with every kind
// of line end, standard input, the line modes, and the exit codes.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
};

std::string shellQuote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string checkCommand(const std::vector<std::string>& args) {
    std::string command = shellQuote(VELTRA_CHECK);
    for (const std::string& arg : args) {
        command += ' ';
        command += shellQuote(arg);
    }
    return command;
}

Outcome runShell(const std::string& command) {
    Outcome run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Runs veltra-check with `args`; `input`, when given, is a file fed to its
// standard input. `tail` ends the shell command: by default standard error is
// dropped; "2>&1" collects it with the output.
Outcome runCheck(const std::vector<std::string>& args, const std::string& input = {},
                 const std::string& tail = "2>/dev/null") {
    return runShell(checkCommand(args) + (input.empty() ? " </dev/null " : " <" + shellQuote(input) + " ") +
                    tail);
}

QByteArray cp1251(const QString& text) {
    QStringEncoder encoder("windows-1251");
    EXPECT_TRUE(encoder.isValid());
    QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError());
    return bytes;
}

class VeltraCheck : public ::testing::Test {
  protected:
    std::string write(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path.toStdString();
    }

    // A small looping program: a button lights all LEDs red.
    const QStringList exampleLines{QString::fromUtf8("// пример"), QString::fromUtf8("метка_1:"),
                                   QString::fromUtf8("если кн_1==вкл тогда свд=к"),
                                   QString::fromUtf8("пауза+"), QString::fromUtf8("переход метка_1")};
    const std::string exampleOutput = "  >>> без ошибок\n6301\nAEF1\n4101\nE000\n";

    QTemporaryDir dir;
};

TEST_F(VeltraCheck, Windows1251WithCrLf) {
    const std::string path = write("a.txt", cp1251(exampleLines.join("\r\n") + "\r\n"));
    const Outcome run = runCheck({path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, exampleOutput);
}

TEST_F(VeltraCheck, BareLfAndBareCrAndNoFinalLineEnd) {
    for (const char* end : {"\n", "\r"}) {
        const std::string path = write("b.txt", cp1251(exampleLines.join(QString::fromLatin1(end))));
        const Outcome run = runCheck({path});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, exampleOutput);
    }
}

TEST_F(VeltraCheck, Utf8WithTheFlag) {
    const std::string path = write("u.txt", (exampleLines.join("\r\n") + "\r\n").toUtf8());
    EXPECT_EQ(runCheck({"--utf8", path}).out, exampleOutput);
    EXPECT_EQ(runCheck({path, "--utf8"}).out, exampleOutput);
    EXPECT_EQ(runCheck({"--utf8", path}).exitCode, 0);
}

TEST_F(VeltraCheck, AValidUtf8FileIsReadAsUtf8WithoutTheFlagAndSaidOnStandardError) {
    // As any Linux editor writes it, with and without a byte-order mark.
    const QByteArray text = (exampleLines.join("\n") + "\n").toUtf8();
    for (const QByteArray& bytes : {text, QByteArray("\xef\xbb\xbf") + text}) {
        const std::string path = write("u.txt", bytes);
        const Outcome run = runCheck({path});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, exampleOutput);
        EXPECT_EQ(runCheck({path}, {}, "2>&1 >/dev/null").out,
                  "veltra-check: " + path + " is valid UTF-8, not Windows-1251: read as UTF-8\n");
        EXPECT_EQ(runCheck({"--json", path}).exitCode, 0);
    }
    // A Windows-1251 file says nothing of the kind.
    const std::string cp = write("c.txt", cp1251(exampleLines.join("\n")));
    EXPECT_EQ(runCheck({cp}, {}, "2>&1").out, exampleOutput);
}

TEST_F(VeltraCheck, StandardInput) {
    const std::string path = write("s.txt", cp1251(exampleLines.join("\r\n")));
    const Outcome run = runCheck({"-"}, path);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, exampleOutput);

    const std::string utf8 = write("s8.txt", exampleLines.join("\n").toUtf8());
    EXPECT_EQ(runCheck({"--utf8", "-"}, utf8).out, exampleOutput);
}

TEST_F(VeltraCheck, FailuresPrintOnlyTheMessage) {
    struct Case {
        const char* text;
        int exitCode;
        const char* out;
    };
    const Case cases[] = {
        {"свд=б\r\nпауза 5\r\n", 5, "[стр.  2] ОШИБКА: параметр команды\n"},
        {"/x\r\n", 1, "[стр.  1] ОШИБКА: начало строки\n"},
        {"пауза\r\nпауза\r\nсвд\r\n", 3, "[стр.  3] ОШИБКА: команда\n"},
        {"метка_1:\r\nметка_1:\r\n", 1, "ОШИБКА: [стр.  2]  метка_1 уже есть !\n"},
        {"переход метка_4\r\n", 1, "ОШИБКА: неверная метка [ 4 ] !\n"},
    };
    for (const Case& c : cases) {
        const std::string path = write("f.txt", cp1251(QString::fromUtf8(c.text)));
        const Outcome run = runCheck({path});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.text;
        EXPECT_EQ(run.out, c.out) << c.text;
    }

    std::string longLine = "пауза";
    longLine.append(123, ' '); // 128 characters
    const std::string path = write("l.txt", cp1251(QString::fromStdString(longLine)));
    const Outcome run = runCheck({path});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "[стр.  1] ОШИБКА: длина строки\n");
}

TEST_F(VeltraCheck, LimitOfThousandWords) {
    QStringList lines;
    for (int i = 0; i < 1000; ++i)
        lines << QString::fromUtf8("пауза+");
    Outcome run = runCheck({write("k.txt", cp1251(lines.join("\r\n")))});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1001);

    lines << QString::fromUtf8("пауза+");
    run = runCheck({write("k.txt", cp1251(lines.join("\r\n")))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "ОШИБКА: текст программы > 1000 команд !\n");
}

TEST_F(VeltraCheck, EmptyFileChecksWithoutWords) {
    const Outcome run = runCheck({write("e.txt", QByteArray())});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "  >>> без ошибок\n");
}

TEST_F(VeltraCheck, UsageErrors) {
    const std::string path = write("x.txt", QByteArray("\r\n"));
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"--bogus"},
                                               {"--utf8"},
                                               {path, path},
                                               {"--line"},
                                               {"--listing", "--format=gcc", path},
                                               {"--listing", "--line", "пауза"},
                                               {"--line", "a", "b"},
                                               {"--console-line"}}) {
        const Outcome run = runCheck(args);
        EXPECT_EQ(run.exitCode, 64);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(runCheck({"--help"}).exitCode, 0);
}

TEST_F(VeltraCheck, UnreadableFiles) {
    EXPECT_EQ(runCheck({dir.filePath("missing.txt").toStdString()}).exitCode, 66);
    EXPECT_EQ(runCheck({dir.path().toStdString()}).exitCode, 66); // a directory
}

TEST_F(VeltraCheck, JsonAndGccReportEveryFileAndExitWithTheWorst) {
    const std::string good = write("good.txt", cp1251(exampleLines.join("\r\n")));
    const std::string bad = write("bad.txt", cp1251(QString::fromUtf8("свд=б\r\nпауза 5\r\n")));
    const std::string good8 = write("good8.txt", exampleLines.join("\n").toUtf8());
    // A missing label is found after the last line; it belongs to the jump's line.
    const std::string bad8 =
        write("bad8.txt", QByteArray("метка_1:\nпауза\nпереход метка_4\nпереход метка_1\n"));
    const std::string missing = dir.filePath("missing.txt").toStdString();
    const std::string goodJson = R"({"count":4,"file":")" + good +
                                 R"(","line":null,"message":"  >>> без ошибок","ok":true,"status":0,)"
                                 R"("words":["6301","AEF1","4101","E000"]})"
                                 "\n";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    };
    const Case cases[] = {
        {{"--json", good, bad},
         5,
         goodJson + R"({"count":0,"file":")" + bad +
             R"(","line":2,"message":"[стр.  2] ОШИБКА: параметр команды","ok":false,"status":5,"words":[]})"
             "\n"},
        {{"--json", bad8, good8, "--utf8"},
         1,
         R"({"count":0,"file":")" + bad8 +
             R"(","line":3,"message":"ОШИБКА: неверная метка [ 4 ] !","ok":false,"status":1,"words":[]})"
             "\n" +
             R"({"count":4,"file":")" + good8 + R"(","line":null,"message":"  >>> без ошибок","ok":true,)" +
             R"("status":0,"words":["6301","AEF1","4101","E000"]})" + "\n"},
        {{"--json", missing},
         66,
         R"({"error":"cannot open )" + missing + R"(: No such file or directory","file":")" + missing +
             R"(","ok":false,"status":66})" + "\n"},
        {{"--format=gcc", good, bad, missing},
         66,
         bad + ":2: error: [стр.  2] ОШИБКА: параметр команды\n" + missing + ": error: cannot open " +
             missing + ": No such file or directory\n"},
        {{"--utf8", "--format=gcc", good8, bad8}, 1, bad8 + ":3: error: ОШИБКА: неверная метка [ 4 ] !\n"},
    };
    for (const Case& c : cases) {
        const Outcome run = runCheck(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1];
        EXPECT_EQ(run.out, c.out) << c.args[1];
    }
    EXPECT_EQ(runCheck({"--format=xml", good}).exitCode, 64);
    EXPECT_EQ(runCheck({"--json", "--line", "пауза"}).exitCode, 64);
}

TEST_F(VeltraCheck, ANameCannotForgeADiagnosticOrReachTheTerminalAndJsonKeepsItsBytes) {
    // Names are bytes: written as they are, not as text.
    auto writeNamed = [&](const std::string& name) {
        const std::string path = dir.path().toStdString() + "/" + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        if (file) std::fputs("\xef\xe0\xf3\xe7\xe0 5\r\n", file), std::fclose(file); // "пауза 5"
        return path;
    };
    const std::string forged = writeNamed("forge.txt\nevil.c:99: error: injected");
    const std::string coloured = writeNamed("\x1b[31mred\a.txt");
    const std::string latin1 = writeNamed("caf\xe9.txt");
    const std::string other = writeNamed("caf\xe8.txt");
    const std::string prefix = dir.path().toStdString() + "/";
    const std::string message = ":1: error: [стр.  1] ОШИБКА: параметр команды\n";
    const Outcome gcc = runCheck({"--format=gcc", forged, coloured, latin1});
    EXPECT_EQ(gcc.out, prefix + "forge.txt\\nevil.c:99: error: injected" + message + prefix +
                           "\\e[31mred\\a.txt" + message + prefix + "caf\\xE9.txt" + message);
    // Standard error too, and the plain format's messages.
    EXPECT_EQ(runCheck({dir.filePath("gone\x1b]0;x\a").toStdString()}, {}, "2>&1").out,
              "veltra-check: cannot open " + prefix + "gone\\e]0;x\\a: No such file or directory\n");

    const Outcome json = runCheck({"--json", latin1, other});
    const QList<QByteArray> lines = QByteArray::fromStdString(json.out).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_NE(lines[0], lines[1]);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject object = QJsonDocument::fromJson(lines[i]).object();
        EXPECT_EQ(QByteArray::fromBase64(object.value("file_bytes").toString().toLatin1()).toStdString(),
                  i == 0 ? latin1 : other);
    }
}

// 16 MiB is far beyond any program; more is refused before it costs memory.
TEST_F(VeltraCheck, OversizedInputIsRefusedWithExitCode66) {
    QByteArray bytes(16 << 20, ' ');
    const std::string atLimit = write("limit.txt", bytes);
    const std::string over = write("over.txt", bytes + ' ');
    for (const std::string& path : {over, std::string("/dev/zero")}) {
        const Outcome run = runCheck({"--json", path}, {}, "2>&1");
        EXPECT_EQ(run.exitCode, 66) << path;
        EXPECT_NE(run.out.find(path + " is larger than 16 MiB"), std::string::npos) << run.out;
    }

    // A file within the limit that does not fit the memory the process may
    // use is reported, not an abort. The sanitizer's allocator ignores address
    // space limits, so there the limit is its own.
#ifdef VELTRA_SANITIZED
    const std::string limit = "ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=24 ";
#else
    const std::string limit = "ulimit -v 100000; ";
#endif
    const Outcome run = runShell(limit + checkCommand({atLimit}) + " 2>&1");
    EXPECT_EQ(run.exitCode, 71);
    EXPECT_NE(run.out.find("veltra-check: not enough memory to check " + atLimit), std::string::npos)
        << run.out;
}

TEST_F(VeltraCheck, OutputThatCannotBeWrittenGivesExitCode74) {
    const std::string path = write("a.txt", cp1251(exampleLines.join("\r\n")));
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{path}, {"--json", path}, {"--line", "пауза"}}) {
        EXPECT_EQ(runCheck(args, {}, ">/dev/full 2>/dev/null").exitCode, 74) << args[0];
    }
}

TEST_F(VeltraCheck, LineModes) {
    EXPECT_EQ(runCheck({"--line", "свд_12 = б, 3"}).out, "word=AC38 prefix=0000 label=0 kind=0 status=0\n");
    EXPECT_EQ(runCheck({"--line", "если А>1 тогда А=0"}).out,
              "word=9100 prefix=8401 label=0 kind=1 status=0\n");
    EXPECT_EQ(runCheck({"--line", "метка_12:"}).out, "word=0000 prefix=0000 label=12 kind=0 status=0\n");
    EXPECT_EQ(runCheck({"--line", "вм свд=б"}).out, "word=AEF8 prefix=D100 label=0 kind=2 status=0\n");
    EXPECT_EQ(runCheck({"--line", "пауза 5"}).out, "word=0000 prefix=0000 label=0 kind=0 status=5\n");
    EXPECT_EQ(runCheck({"--line", ""}).out, "word=0000 prefix=0000 label=0 kind=0 status=7\n");
    EXPECT_EQ(runCheck({"--console-line", ">ППЗУ = записать"}).out,
              "word=0030 prefix=0000 label=0 kind=100 status=0\n");
    EXPECT_EQ(runCheck({"--console-line", ">пауза"}).out, "word=0000 prefix=0000 label=0 kind=0 status=4\n");
    EXPECT_EQ(runCheck({"--console-line", "свд=б"}).out, "word=0000 prefix=0000 label=0 kind=0 status=1\n");
    EXPECT_EQ(runCheck({"--line", "свд=б"}).exitCode, 0);
    // --utf8 means nothing to a line but is accepted anywhere.
    EXPECT_EQ(runCheck({"--utf8", "--line", "пауза 5"}).out,
              "word=0000 prefix=0000 label=0 kind=0 status=5\n");
    EXPECT_EQ(runCheck({"--console-line", ">пауза", "--utf8"}).out,
              "word=0000 prefix=0000 label=0 kind=0 status=4\n");
}

TEST_F(VeltraCheck, TheListingGivesEachWordItsIndexHexWordAndSourceLine) {
    const std::string path = write("l.txt", cp1251(exampleLines.join("\r\n")));
    // The second word of a line carries no text, as in an assembler listing.
    const std::string listing = "   0  6301      3  если кн_1==вкл тогда свд=к\n"
                                "   1  AEF1      3\n"
                                "   2  4101      4  пауза+\n"
                                "   3  E000      5  переход метка_1\n";
    EXPECT_EQ(runCheck({"--listing", path}).out, listing);
    EXPECT_EQ(runCheck({"--json", "--listing", path}).out,
              R"({"count":4,"file":")" + path +
                  R"(","line":null,"listing":[{"index":0,"line":3,"word":"6301"},)"
                  R"({"index":1,"line":3,"word":"AEF1"},{"index":2,"line":4,"word":"4101"},)"
                  R"({"index":3,"line":5,"word":"E000"}],"message":"  >>> без ошибок","ok":true,"status":0,)"
                  R"("words":["6301","AEF1","4101","E000"]})"
                  "\n");

    // A failed check lists nothing: the message and the check's value, as without --listing.
    const std::string bad = write("lb.txt", cp1251(QString::fromUtf8("свд=б\r\nпауза 5\r\n")));
    const Outcome failed = runCheck({"--listing", bad});
    EXPECT_EQ(failed.exitCode, 5);
    EXPECT_EQ(failed.out, "[стр.  2] ОШИБКА: параметр команды\n");

    // The line's text may hold what a terminal acts on: it is shown escaped.
    const std::string odd = write("lo.txt", QByteArray("\xef\xe0\xf3\xe7\xe0\x1b[31m\r\n"));
    EXPECT_EQ(runCheck({"--listing", odd}).out, "   0  4201      1  пауза\\e[31m\n");
}

// The shipped examples are Windows-1251 with CR LF and check without error.
TEST(Examples, EveryExampleChecks) {
    const QDir examples(QString::fromUtf8(VELTRA_EXAMPLES));
    const QStringList files = examples.entryList({"*.txt"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 3);
    for (const QString& name : files) {
        const std::string path = examples.filePath(name).toStdString();
        SCOPED_TRACE(path);
        QFile file(examples.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        // Windows-1251 Cyrillic is not valid UTF-8.
        EXPECT_TRUE(QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter)) << "not Windows-1251";

        const Outcome run = runCheck({path});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "  >>> без ошибок");
        EXPECT_GT(std::count(run.out.begin(), run.out.end(), '\n'), 1);
    }
}

} // namespace
