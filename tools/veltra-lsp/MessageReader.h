#pragma once
// The base protocol's framing: header lines ("Content-Length: N", an optional
// "Content-Type"), an empty line, then N bytes of JSON. Bytes go in as they
// arrive; whole messages and framing faults come out. Memory stays bounded
// whatever arrives: a header line longer than kMaxHeaderLine and a body
// longer than kMaxBody are dropped without being kept.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>

namespace veltra::lsp {

struct Frame {
    QByteArray body;  // the JSON text, when `fault` is empty
    QString fault;    // what was wrong with the framing, for a parse error
};

class MessageReader {
  public:
    static constexpr qsizetype kMaxHeaderLine = 8 * 1024;
    // A document of 16 MiB with every character escaped as \uXXXX, and room to spare.
    static constexpr qsizetype kMaxBody = qsizetype(256) << 20;

    void feed(const char* data, std::size_t size);

    // The next whole message or fault, if the bytes so far hold one.
    std::optional<Frame> next();

    // True while part of a message is held (for the end of the input).
    bool midMessage() const;

  private:
    enum class State { Headers, Body, Skipping, Resync };

    std::optional<Frame> readHeaderLine();
    // Drops the message being read, with what its headers said, and looks
    // for the next one.
    Frame abandon(const QString& fault);

    QByteArray buffer_;
    qsizetype pos_ = 0;         // start of the unread bytes in buffer_
    State state_ = State::Headers;
    qsizetype length_ = -1;     // Content-Length of the message being read
    qsizetype toSkip_ = 0;      // body bytes still to drop
    bool sawHeader_ = false;    // a header line of this message was read
    QString headerFault_;       // a header that makes the message unusable
};

} // namespace veltra::lsp
