// veltra-check: checks program files as the editor does, or compiles one line.
//
//   veltra-check [--utf8] FILE               the editor's status line, then the words
//   veltra-check [--utf8] --json FILE...     one JSON object per file
//   veltra-check [--utf8] --format=gcc FILE...  FILE:LINE: error: MESSAGE
//   veltra-check [--utf8] [--json] --listing FILE  each word with its source line
//   veltra-check --line TEXT | --console-line TEXT   one line (TEXT in UTF-8)
//
// FILE is Windows-1251 unless --utf8 (or it is valid UTF-8 with bytes above
// 0x7F, which is said on standard error); "-" is standard input. The exit code is
// the check's return value (0; 1, 2, 3, 5), the highest over all files; 64 is a
// usage error, 66 a file that cannot be read or is too large, 71 a file that
// does not fit in memory, 74 output that could not be written.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <QString>

#include "compiler/LineCompiler.h"
#include "files/FileCheck.h"
#include "os/ShownName.h"
#include "tools/veltra-check/CheckOptions.h"
#include "tools/veltra-check/CheckOutput.h"

namespace {

using namespace veltra::check;

void compileOneLine(const CheckOptions& options) {
    const std::u32string line = QString::fromStdString(options.lineText).toStdU32String();
    const veltra::CmdRecord rec = options.mode == Mode::ConsoleLine ? veltra::compileConsoleLine(line)
                                                                    : veltra::compileProgramLine(line);
    std::printf("word=%04X prefix=%04X label=%d kind=%d status=%d\n", rec.word, rec.prefixWord, rec.label,
                static_cast<int>(rec.kind), static_cast<int>(rec.status));
}

int checkFiles(const CheckOptions& options) {
    int worst = 0;
    for (const std::string& path : options.files) {
        const FileCheck result = checkFile(path, options.encoding);
        if (result.readAsUtf8)
            std::fprintf(stderr, "veltra-check: %s is valid UTF-8, not Windows-1251: read as UTF-8\n",
                         path == "-" ? "standard input" : veltra::escapedName(path).c_str());
        switch (options.format) {
        case Format::Text:
            if (options.listing)
                printListing(result, stdout, stderr);
            else
                printText(result, stdout, stderr);
            break;
        case Format::Json:
            printJson(result, stdout, options.listing);
            break;
        case Format::Gcc:
            printGcc(result, stdout);
            break;
        }
        worst = std::max(worst, result.exitCode);
    }
    return worst;
}

// A result nobody receives is a failure, not a success: a full disk or a
// closed pipe turns into exit code 74.
int finishOutput(int exitCode) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return exitCode;
    std::fprintf(stderr, "veltra-check: cannot write the output: %s\n", std::strerror(errno));
    return std::max(exitCode, kCannotWrite);
}

} // namespace

int main(int argc, char** argv) {
    const ParsedCommandLine parsed = parseCheckOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fputs(parsed.message.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return finishOutput(parsed.exitCode);
    }
    const CheckOptions& options = *parsed.options;
    if (options.mode != Mode::Files) {
        compileOneLine(options);
        return finishOutput(0);
    }
    return finishOutput(checkFiles(options));
}
