#include "files/FileCheck.h"

#include <memory>
#include <new>

#include <QString>

namespace veltra::check {

namespace {

void checkBytes(FileCheck& result, std::string& bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Windows1251 && looksLikeUtf8(bytes)) {
        encoding = TextEncoding::Utf8;
        result.readAsUtf8 = true;
    }
    std::u32string text;
    if (!decodeProgramText(bytes, encoding, text)) {
        result.exitCode = kInternal;
        result.error = std::string("this Qt cannot decode ") +
                       (encoding == TextEncoding::Utf8 ? "UTF-8" : "windows-1251");
        return;
    }
    std::string().swap(bytes); // the decoded text is up to four times larger; free what is done with
    const std::vector<std::u32string> lines = splitLines(text);
    std::u32string().swap(text);

    // 8 KiB of words: kept off the stack, and each call's own, so that
    // files are checked on several threads at once.
    const auto image = std::make_unique<ProgramImage>();
    result.exitCode = buildProgram(lines, *image, result.report);
    if (result.exitCode != 0) return;
    result.words.assign(image->words.begin(), image->words.begin() + image->count);
    result.wordLines.assign(image->wordLine.begin(), image->wordLine.begin() + image->count);
    for (int line : result.wordLines)
        result.sources.push_back(
            QString::fromStdU32String(lines[static_cast<std::size_t>(line - 1)]).toStdString());
}

} // namespace

FileCheck checkFile(const std::string& path, TextEncoding encoding) {
    FileCheck result;
    result.file = path;
    // A file under the size limit can still need more memory than a limited
    // process has (text, lines): that is a refusal like any other, not an abort.
    try {
        std::string bytes;
        if (!readProgramBytes(path, bytes, result.error)) {
            result.exitCode = kCannotRead;
            return result;
        }
        checkBytes(result, bytes, encoding);
    } catch (const std::bad_alloc&) {
        result.exitCode = kOutOfMemory;
        result.error = "not enough memory to check " + (path == "-" ? std::string("standard input") : path);
        result.report = {};
        result.words.clear();
        result.wordLines.clear();
        result.sources.clear();
    }
    return result;
}

} // namespace veltra::check
