#include "SourceLines.h"

#include <QStringDecoder>

namespace veltra {

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
