// libFuzzer target: veltra-link's standard input, the console commands it
// reads from a file or a pipe. The input is the first byte (it sets the
// sizes of the chunks the stream arrives in, from 1 to 97 bytes) and then
// records of a count byte, a length byte and that many bytes, taken
// once for a count below 128 and 64 times more for each step above it, so
// that the stream can hold lines longer than the reader keeps. Besides
// crashes and sanitizer reports it traps when the reader breaks its
// promises: it never keeps more than its bound, the lines do not depend on
// the chunks, and every line is the one this target's own cutting finds (a
// line end, a CR before it, blank lines left out), decoded as UTF-8 when it
// is valid UTF-8 and as Windows-1251 otherwise; a line cut at the bound leads
// the console to what the whole line does (the same console word or
// compiled record), when the kept part is of the whole line's encoding.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compiler/LineCompiler.h"
#include "os/ShownName.h"
#include "tests/fuzz/Require.h"
#include "tools/veltra-link/CommandLines.h"

namespace {

using veltra::CmdRecord;
using veltra::fuzz::require;
using veltra::linktool::CommandLines;

// Room for a line the reader cuts, and one more after it.
constexpr qsizetype kMaxStream = 2 * CommandLines::kMaxLineBytes + 4096;

bool utf8(const QByteArray& bytes) {
    return veltra::isUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

QString decoded(const QByteArray& bytes) {
    if (utf8(bytes)) return QString::fromUtf8(bytes);
    static QStringDecoder cp1251("windows-1251", QStringConverter::Flag::Stateless);
    return cp1251.decode(bytes);
}

// What the console does with a line: one of its own words, or the compiled record.
struct ConsoleView {
    int word = 0; // 1 clear, 2 reset, 0 compiled
    CmdRecord record;

    explicit ConsoleView(QString line) {
        if (!line.startsWith(QLatin1Char('>'))) line.prepend(QLatin1Char('>'));
        if (line.startsWith(QStringLiteral(">очистить"))) {
            word = 1;
        } else if (line.startsWith(QStringLiteral(">сброс"))) {
            word = 2;
        } else {
            record = veltra::compileConsoleLine(line.toStdU32String());
        }
    }
    bool operator==(const ConsoleView& other) const {
        return word == other.word && record.word == other.record.word &&
               record.prefixWord == other.record.prefixWord && record.label == other.record.label &&
               record.kind == other.record.kind && record.status == other.record.status;
    }
};

// The stream read in chunks whose sizes follow from `seed`; 0: in one piece.
QStringList readAll(const QByteArray& stream, unsigned seed) {
    CommandLines reader;
    QStringList lines;
    for (qsizetype at = 0, k = 1; at < stream.size(); ++k) {
        const qsizetype chunk = seed == 0 ? stream.size() : 1 + qsizetype(seed * k * 2654435761u % 97);
        lines += reader.take(QByteArrayView(stream).sliced(at, std::min(chunk, stream.size() - at)));
        require(reader.pendingBytes() <= CommandLines::kMaxLineBytes);
        at += chunk;
    }
    return lines + reader.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    QByteArray stream;
    for (std::size_t at = 1; at + 2 <= size && stream.size() < kMaxStream;) {
        const int repeat = data[at] < 128 ? 1 : 1 + 64 * (data[at] - 127);
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const QByteArray piece(reinterpret_cast<const char*>(data + at + 2), qsizetype(length));
        stream += piece.repeated(repeat);
        at += 2 + length;
    }
    stream.truncate(kMaxStream);

    const QStringList lines = readAll(stream, data[0] + 1u);
    require(lines == readAll(stream, 0));

    qsizetype next = 0;
    for (QByteArray bytes : stream.split('\n')) {
        if (bytes.endsWith('\r')) bytes.chop(1);
        const bool cut = bytes.size() > CommandLines::kMaxLineBytes;
        if (bytes.trimmed().isEmpty()) continue;
        require(next < lines.size());
        const QString& line = lines[next++];
        require(!line.contains(QLatin1Char('\n')));
        const QString whole = decoded(bytes);
        if (!cut) {
            require(line == whole);
            continue;
        }
        // Decoded as the whole line is, the kept part is the start of its text.
        require(line.size() < whole.size() && (whole.startsWith(line) || !utf8(bytes)));
        if (whole.startsWith(line)) require(ConsoleView(line) == ConsoleView(whole));
    }
    require(next == lines.size());
    return 0;
}
