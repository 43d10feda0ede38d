#pragma once
// The base protocol on the client's two byte streams, both ways: what comes
// in is cut into messages by the MessageReader (headers, Content-Length, the
// body), what goes out is each JSON message with its header. Everything above
// it handles whole messages; the loop around it owns the descriptors.

#include <QByteArray>
#include <QJsonObject>

#include <cstddef>
#include <functional>
#include <optional>

#include "tools/veltra-lsp/MessageReader.h"

namespace veltra::lsp {

// One message as it goes out: its header, the empty line, the JSON text.
QByteArray framed(const QJsonObject& message);

class Transport {
  public:
    // Writes bytes to the client; false when they could not be written (the
    // client is gone).
    using Write = std::function<bool(const QByteArray& bytes)>;

    explicit Transport(Write write) : write_(std::move(write)) {}

    // Input: bytes as they arrive, and the whole messages and framing faults
    // they hold so far.
    void received(const char* data, std::size_t size) { reader_.feed(data, size); }
    std::optional<Frame> next() { return reader_.next(); }

    // Output: once a write failed, nothing more is written, so that a client
    // that stopped reading is not written to for every message still to go.
    void send(const QJsonObject& message);
    bool reachable() const { return reachable_; }

  private:
    MessageReader reader_;
    Write write_;
    bool reachable_ = true;
};

} // namespace veltra::lsp
