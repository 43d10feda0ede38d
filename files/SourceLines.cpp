#include "files/SourceLines.h"

#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "os/ShownName.h"

namespace veltra {

bool readProgramBytes(const std::string& path, std::string& bytes, std::string& error) {
    const bool fromStdin = path == "-";
    const std::string name = fromStdin ? std::string("standard input") : path;
    std::FILE* file = fromStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open " + name + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    char buffer[65536];
    std::size_t got;
    // One byte past the limit is enough to know the file is too large; the
    // buffer never grows beyond that, whatever the source.
    while (bytes.size() <= kMaxProgramFileBytes &&
           (got = std::fread(buffer, 1, std::min(sizeof buffer, kMaxProgramFileBytes + 1 - bytes.size()),
                             file)) > 0) {
        if (bytes.size() + got > bytes.capacity())
            bytes.reserve(
                std::min(std::max(2 * bytes.capacity(), bytes.size() + got), kMaxProgramFileBytes + 1));
        bytes.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    if (!fromStdin) std::fclose(file);
    if (failed) {
        error = "cannot read " + name + ": " + std::strerror(readErrno);
        return false;
    }
    if (bytes.size() > kMaxProgramFileBytes) {
        bytes.clear();
        bytes.shrink_to_fit();
        error = name + " is larger than 16 MiB, which no program file is";
        return false;
    }
    return true;
}

bool looksLikeUtf8(std::string_view bytes) {
    // Plain ASCII reads the same either way and stays Windows-1251; the
    // validity test is the one the names' escaping uses, so a file and its
    // name are never judged by two rules.
    const bool highBytes =
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return highBytes && isUtf8(bytes);
}

bool decodeProgramText(std::string_view bytes, TextEncoding encoding, std::u32string& text) {
    QStringDecoder decoder = encoding == TextEncoding::Utf8 ? QStringDecoder(QStringConverter::Utf8)
                                                            : QStringDecoder("windows-1251");
    if (!decoder.isValid()) return false;
    const QString decoded =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    text = decoded.toStdU32String();
    return true;
}

std::vector<std::u32string> splitLines(std::u32string_view text) {
    std::vector<std::u32string> lines;
    std::size_t begin = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = text[pos];
        if (c != U'\r' && c != U'\n') {
            ++pos;
            continue;
        }
        lines.emplace_back(text.substr(begin, pos - begin));
        pos += (c == U'\r' && pos + 1 < text.size() && text[pos + 1] == U'\n') ? 2 : 1;
        begin = pos;
    }
    if (begin < text.size()) lines.emplace_back(text.substr(begin));
    return lines;
}

} // namespace veltra
