// veltra-check: checks a program file as the editor does, or compiles one line.
//
//   veltra-check [--utf8] FILE      FILE is Windows-1251 unless --utf8; "-" is standard input
//   veltra-check --line TEXT        one program line (TEXT in UTF-8)
//   veltra-check --console-line TEXT  one console line
//
// File mode prints the editor's status-line message, then on success every
// command word as four upper-case hex digits, one per line. Its exit code is
// the check's return value (0; 1, 2, 3, 5); 64 is a usage error, 66 a file
// that cannot be read.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <QString>

#include "SourceLines.h"
#include "compiler/LineCompiler.h"
#include "compiler/ProgramCheck.h"

namespace {

constexpr int kUsageError = 64; // EX_USAGE
constexpr int kCannotRead = 66; // EX_NOINPUT
constexpr int kInternal = 70;   // EX_SOFTWARE: this Qt lacks the text codec

const char* const kUsage =
    "usage: veltra-check [--utf8] FILE    check a program file (Windows-1251, or UTF-8 with --utf8;\n"
    "                                     \"-\" reads standard input)\n"
    "       veltra-check --line TEXT          compile one program line\n"
    "       veltra-check --console-line TEXT  compile one console line\n";

int usageError(const char* why) {
    std::fprintf(stderr, "veltra-check: %s\n%s", why, kUsage);
    return kUsageError;
}

bool readAll(std::FILE* file, std::string& bytes) {
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    return std::ferror(file) == 0;
}

int compileOneLine(bool console, const char* utf8) {
    const std::u32string line = QString::fromUtf8(utf8).toStdU32String();
    const veltra::CmdRecord rec =
        console ? veltra::compileConsoleLine(line) : veltra::compileProgramLine(line);
    std::printf("word=%04X prefix=%04X label=%d kind=%d status=%d\n", rec.word, rec.prefixWord, rec.label,
                static_cast<int>(rec.kind), static_cast<int>(rec.status));
    return 0;
}

int checkFile(const std::string& path, veltra::TextEncoding encoding) {
    std::string bytes;
    const bool fromStdin = path == "-";
    std::FILE* file = fromStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "veltra-check: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return kCannotRead;
    }
    const bool read = readAll(file, bytes);
    const int readErrno = errno;
    if (!fromStdin) std::fclose(file);
    if (!read) {
        std::fprintf(stderr, "veltra-check: cannot read %s: %s\n",
                     fromStdin ? "standard input" : path.c_str(), std::strerror(readErrno));
        return kCannotRead;
    }

    std::u32string text;
    if (!veltra::decodeProgramText(bytes, encoding, text)) {
        std::fprintf(stderr, "veltra-check: this Qt cannot decode %s\n",
                     encoding == veltra::TextEncoding::Utf8 ? "UTF-8" : "windows-1251");
        return kInternal;
    }

    static veltra::ProgramImage image; // 8 KiB of words: kept off the stack
    veltra::CheckReport report;
    const int result = veltra::buildProgram(veltra::splitLines(text), image, report);
    std::printf("%s\n", report.message.c_str());
    if (result == 0) {
        for (std::size_t i = 0; i < image.count; ++i)
            std::printf("%04X\n", image.words[i]);
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usageError("nothing to check");
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (first == "--line" || first == "--console-line") {
        if (argc != 3) return usageError("--line and --console-line take exactly one TEXT");
        return compileOneLine(first == "--console-line", argv[2]);
    }

    veltra::TextEncoding encoding = veltra::TextEncoding::Windows1251;
    std::string path;
    bool havePath = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--utf8") {
            encoding = veltra::TextEncoding::Utf8;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return usageError((std::string("unknown option ") + argv[i]).c_str());
        } else if (havePath) {
            return usageError("only one FILE can be checked at a time");
        } else {
            path = arg;
            havePath = true;
        }
    }
    if (!havePath) return usageError("no FILE given");
    return checkFile(path, encoding);
}
