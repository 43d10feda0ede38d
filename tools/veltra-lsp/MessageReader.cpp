#include "tools/veltra-lsp/MessageReader.h"

#include <algorithm>
#include <limits>

namespace veltra::lsp {

namespace {

bool startsWithNoCase(const QByteArray& line, const char* word) {
    return line.size() >= qsizetype(qstrlen(word)) && qstrnicmp(line.constData(), word, qstrlen(word)) == 0;
}

} // namespace

void MessageReader::feed(const char* data, std::size_t size) {
    // Bytes already consumed are dropped before new ones are kept.
    if (pos_ > 0 && (pos_ == buffer_.size() || pos_ > 64 * 1024)) {
        buffer_.remove(0, pos_);
        pos_ = 0;
    }
    buffer_.append(data, qsizetype(size));
}

bool MessageReader::midMessage() const {
    return state_ != State::Headers || sawHeader_ || pos_ < buffer_.size();
}

std::optional<Frame> MessageReader::next() {
    for (;;) {
        const qsizetype available = buffer_.size() - pos_;
        switch (state_) {
        case State::Body: {
            if (available < length_) return std::nullopt;
            const qsizetype length = length_;
            length_ = -1;
            state_ = State::Headers;
            pos_ += length;
            return Frame{buffer_.mid(pos_ - length, length), {}};
        }
        case State::Skipping: {
            const qsizetype n = std::min(available, toSkip_);
            pos_ += n;
            toSkip_ -= n;
            if (toSkip_ > 0) return std::nullopt;
            state_ = State::Headers;
            continue;
        }
        case State::Resync: {
            // Drop bytes up to the next line that starts a header block.
            const qsizetype at = buffer_.indexOf("Content-Length:", pos_);
            if (at < 0) {
                // Keep only what could be the start of that word.
                pos_ = std::max(pos_, buffer_.size() - 14);
                return std::nullopt;
            }
            pos_ = at;
            state_ = State::Headers;
            continue;
        }
        case State::Headers: {
            const qsizetype before = pos_;
            if (auto frame = readHeaderLine()) return frame;
            if (state_ == State::Headers && pos_ == before) return std::nullopt; // no whole line yet
            continue;
        }
        }
    }
}

Frame MessageReader::abandon(const QString& fault) {
    state_ = State::Resync;
    sawHeader_ = false;
    length_ = -1;
    headerFault_.clear();
    return Frame{{}, fault};
}

// Reads one header line; the empty line ends the headers and decides what
// follows. Returns a fault when the message cannot be read.
std::optional<Frame> MessageReader::readHeaderLine() {
    const qsizetype end = buffer_.indexOf('\n', pos_);
    // Too long whether its end has come or not: how the bytes arrive must
    // not decide it.
    if ((end < 0 ? buffer_.size() : end) - pos_ > kMaxHeaderLine)
        return abandon(QStringLiteral("a header line longer than %1 bytes").arg(kMaxHeaderLine));
    if (end < 0) return std::nullopt;
    QByteArray line = buffer_.mid(pos_, end - pos_);
    pos_ = end + 1;
    if (line.endsWith('\r')) line.chop(1);

    if (!line.isEmpty()) {
        sawHeader_ = true;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) return abandon(QStringLiteral("a header line without a name"));
        if (startsWithNoCase(line, "content-length:")) {
            bool ok = false;
            const QByteArray value = line.mid(colon + 1).trimmed();
            const qlonglong n = value.toLongLong(&ok);
            if (!ok || n < 0 || value.startsWith('+') || value.startsWith('-'))
                headerFault_ = QStringLiteral("Content-Length is not a number of bytes");
            else
                length_ = qsizetype(std::min<qlonglong>(n, std::numeric_limits<qsizetype>::max()));
        } else if (startsWithNoCase(line, "content-type:")) {
            const QByteArray value = line.mid(colon + 1).toLower();
            const qsizetype charset = value.indexOf("charset=");
            if (charset >= 0) {
                const QByteArray name = value.mid(charset + 8).trimmed();
                if (name != "utf-8" && name != "utf8")
                    headerFault_ = QStringLiteral("a charset other than UTF-8");
            }
        }
        return std::nullopt;
    }

    // The empty line: the body follows.
    const bool hadHeaders = sawHeader_;
    sawHeader_ = false;
    const qsizetype length = length_;
    const QString fault = headerFault_;
    length_ = -1;
    headerFault_.clear();
    if (!hadHeaders) return std::nullopt; // a stray empty line between messages
    if (length < 0 && fault.isEmpty()) {
        // Without a length the body cannot be told from what follows it.
        state_ = State::Resync;
        return Frame{{}, QStringLiteral("a message without Content-Length")};
    }
    if (!fault.isEmpty() || length > kMaxBody) {
        if (length >= 0) {
            state_ = State::Skipping;
            toSkip_ = length;
        } else {
            state_ = State::Resync;
        }
        return Frame{{}, fault.isEmpty() ? QStringLiteral("a message of %1 bytes, more than %2 MiB")
                                                  .arg(length)
                                                  .arg(kMaxBody >> 20)
                                          : fault};
    }
    length_ = length;
    state_ = State::Body;
    return std::nullopt;
}

} // namespace veltra::lsp
