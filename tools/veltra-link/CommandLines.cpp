#include "tools/veltra-link/CommandLines.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "os/ShownName.h"
#include "files/SourceLines.h"

namespace veltra::linktool {

namespace {

QString decodeCommand(const QByteArray& bytes) {
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    std::u32string text;
    if (!decodeProgramText(view, isUtf8(view) ? TextEncoding::Utf8 : TextEncoding::Windows1251, text))
        return QString::fromUtf8(bytes);
    return QString::fromStdU32String(text);
}

bool continuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

QStringList CommandLines::take(QByteArrayView chunk) {
    QStringList lines;
    while (!chunk.isEmpty()) {
        const qsizetype end = chunk.indexOf('\n');
        const QByteArrayView part = end < 0 ? chunk : chunk.first(end);
        if (cut_) {
            skippedText_ = skippedText_ || !part.trimmed().isEmpty();
        } else {
            // One byte past the bound tells whether the cut falls inside a character.
            const qsizetype kept = std::min(part.size(), kMaxLineBytes + 1 - pending_.size());
            pending_.append(part.first(kept));
            if (pending_.size() > kMaxLineBytes) {
                qsizetype at = kMaxLineBytes;
                while (at > kMaxLineBytes - 3 && continuationByte(pending_[at]))
                    --at;
                skippedText_ =
                    !pending_.sliced(at).trimmed().isEmpty() || !part.sliced(kept).trimmed().isEmpty();
                pending_.truncate(at);
                cut_ = true;
            }
        }
        if (end < 0) break;
        endLine(lines);
        chunk = chunk.sliced(end + 1);
    }
    return lines;
}

QStringList CommandLines::finish() {
    QStringList lines;
    if (!pending_.isEmpty()) endLine(lines);
    return lines;
}

void CommandLines::endLine(QStringList& lines) {
    if (!cut_ && pending_.endsWith('\r')) pending_.chop(1);
    // A line of blanks is no command, however long; a long one with text
    // after its blanks is one, which the console refuses as too long.
    if (!pending_.trimmed().isEmpty() || skippedText_) lines << decodeCommand(pending_);
    pending_.clear();
    cut_ = false;
    skippedText_ = false;
}

} // namespace veltra::linktool
