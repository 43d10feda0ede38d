// libFuzzer target: the language server in process, as a client's bytes reach
// it: the framing, the dispatch and the edits of open documents. The first
// byte sets the scene:
//   bits 0-1  the position unit the client offers: none (so UTF-16), utf-8,
//             utf-32, utf-16
//   bit 2     the client takes hierarchical document symbols
//   bit 3     the rest is a raw stream; else it is messages (below)
//   bits 4-7  raw: the stream arrives in pieces of 1 to 16 bytes
// Messages: the rest, cut at NUL bytes (which JSON text never holds), is the
// bodies of messages that this target frames, after an `initialize` of its
// own. Raw: the bytes go through the framing as they are, and whatever whole
// messages they hold go to the server. Either way the server publishes its
// diagnostics whenever the loop would: when no more input waits.
//
// Besides crashes and sanitizer reports it traps when a promise breaks:
// everything written is one framed JSON-RPC 2.0 object whose length is right;
// the framing cuts the same messages and faults from a stream whatever pieces
// it arrives in; and every request (a JSON-RPC 2.0 object with a method and an
// id that is a number or a string) is answered once, with its id, before the
// next message is read.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/veltra-lsp/LanguageServer.h"
#include "tools/veltra-lsp/Transport.h"

namespace {

using veltra::lsp::Frame;
using veltra::lsp::LanguageServer;
using veltra::lsp::MessageReader;
using veltra::lsp::Transport;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

// One message as the server wrote it, read back by this target's own parser.
QJsonObject readBack(const QByteArray& bytes) {
    static const QByteArray kHeader = "Content-Length: ";
    require(bytes.startsWith(kHeader));
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    require(end > kHeader.size());
    bool ok = false;
    const qsizetype length = bytes.mid(kHeader.size(), end - kHeader.size()).toLongLong(&ok);
    require(ok && length == bytes.size() - end - 4);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(bytes.mid(end + 4), &error);
    require(error.error == QJsonParseError::NoError && json.isObject());
    require(json.object().value(QStringLiteral("jsonrpc")) == QStringLiteral("2.0"));
    return json.object();
}

bool sameFrames(const std::vector<Frame>& a, const std::vector<Frame>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].body != b[i].body || a[i].fault != b[i].fault) return false;
    return true;
}

std::vector<Frame> framesOf(MessageReader& reader) {
    std::vector<Frame> frames;
    while (std::optional<Frame> frame = reader.next())
        frames.push_back(*frame);
    return frames;
}

// The id of a request the server must answer, or undefined.
QJsonValue requestId(const QByteArray& body) {
    const QJsonDocument json = QJsonDocument::fromJson(body);
    const QJsonObject message = json.object();
    const QJsonValue id = message.value(QStringLiteral("id"));
    const bool request =
        json.isObject() && message.value(QStringLiteral("jsonrpc")) == QStringLiteral("2.0") &&
        message.value(QStringLiteral("method")).isString() && (id.isString() || id.isDouble());
    return request ? id : QJsonValue(QJsonValue::Undefined);
}

QByteArray initializeBody(std::uint8_t scene) {
    QJsonObject capabilities{
        {"textDocument", QJsonObject{{"documentSymbol", QJsonObject{{"hierarchicalDocumentSymbolSupport",
                                                                     (scene & 4) != 0}}}}}};
    static const char* const kUnits[] = {nullptr, "utf-8", "utf-32", "utf-16"};
    if (const char* unit = kUnits[scene & 3])
        capabilities.insert("general", QJsonObject{{"positionEncodings", QJsonArray{unit}}});
    const QJsonObject message{{"jsonrpc", "2.0"},
                              {"id", 0},
                              {"method", "initialize"},
                              {"params", QJsonObject{{"capabilities", capabilities}}}};
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t scene = data[0];
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    std::vector<QJsonObject> written;
    Transport transport([&](const QByteArray& bytes) {
        written.push_back(readBack(bytes));
        return true;
    });
    LanguageServer server([&](const QJsonObject& message) { transport.send(message); });

    // One message to the server; a request gets exactly one answer, its own.
    const auto deliver = [&](const QByteArray& body) {
        const QJsonValue id = requestId(body);
        written.clear();
        server.handleMessage(body);
        if (id.isUndefined()) return;
        int answers = 0;
        for (const QJsonObject& message : written) {
            if (!message.contains(QStringLiteral("id"))) continue;
            ++answers;
            require(message.value(QStringLiteral("id")) == id);
            require(message.contains(QStringLiteral("result")) != message.contains(QStringLiteral("error")));
        }
        require(answers == 1);
    };

    if ((scene & 8) == 0) {
        deliver(initializeBody(scene));
        for (const QByteArray& body : rest.split('\0')) {
            if (server.exited()) break;
            deliver(body);
            server.publishPending();
        }
        return 0;
    }

    // The stream as one piece, for the framing's answer whatever the pieces.
    MessageReader whole;
    whole.feed(rest.constData(), std::size_t(rest.size()));
    const std::vector<Frame> expected = framesOf(whole);

    const qsizetype piece = 1 + (scene >> 4);
    std::vector<Frame> frames;
    for (qsizetype at = 0; at < rest.size(); at += piece) {
        transport.received(rest.constData() + at, std::size_t(std::min(piece, rest.size() - at)));
        while (std::optional<Frame> frame = transport.next()) {
            frames.push_back(*frame);
            if (server.exited()) continue;
            if (frame->fault.isEmpty())
                deliver(frame->body);
            else
                server.handleFramingFault(frame->fault);
        }
        if (!server.exited()) server.publishPending();
    }
    require(sameFrames(frames, expected));
    return 0;
}
