// The server in process: what it announces comes from its table of methods,
// a method is found only as the kind of message it is, and its transport
// frames what it sends and stops writing to a client that is gone.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <vector>

#include "tools/veltra-lsp/LanguageServer.h"
#include "tools/veltra-lsp/Transport.h"

using namespace veltra::lsp;

namespace {

class LspServer : public ::testing::Test {
  protected:
    std::vector<QJsonObject> sent;
    LanguageServer server{[this](const QJsonObject& message) { sent.push_back(message); }};

    const QJsonObject take() {
        EXPECT_EQ(sent.size(), 1u);
        const QJsonObject last = sent.empty() ? QJsonObject() : sent.back();
        sent.clear();
        return last;
    }
};

TEST_F(LspServer, TheCapabilitiesAnnouncedAreThoseOfItsMethods) {
    server.handleMessage(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
    const QJsonObject expected = QJsonDocument::fromJson(R"({
        "positionEncoding": "utf-16",
        "textDocumentSync": {"openClose": true, "change": 2},
        "hoverProvider": true,
        "completionProvider": {"triggerCharacters": ["_", "="]},
        "definitionProvider": true,
        "referencesProvider": true,
        "renameProvider": {"prepareProvider": true},
        "documentSymbolProvider": true,
        "semanticTokensProvider": {
            "legend": {"tokenTypes": ["keyword", "variable", "enumMember", "number", "function", "comment"],
                       "tokenModifiers": []},
            "full": true,
            "range": true}
    })")
                                     .object();
    EXPECT_EQ(take()["result"]["capabilities"].toObject(), expected);
}

TEST_F(LspServer, AMethodIsFoundOnlyAsTheKindOfMessageItIs) {
    server.handleMessage(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
    sent.clear();
    // A notification's name sent as a request is no method the server has.
    server.handleMessage(R"({"jsonrpc":"2.0","id":2,"method":"textDocument/didClose","params":{}})");
    EXPECT_EQ(take()["error"]["code"], -32601);
    // A request's name sent as a notification is dropped: the server is not shut down by it.
    server.handleMessage(R"({"jsonrpc":"2.0","method":"shutdown"})");
    EXPECT_TRUE(sent.empty());
    server.handleMessage(R"({"jsonrpc":"2.0","id":3,"method":"textDocument/hover","params":{}})");
    EXPECT_EQ(take()["error"]["code"], -32602);
}

TEST(LspTransport, AMessageGoesOutWithItsLengthInBytesAndNotAfterAWriteFailed) {
    std::vector<QByteArray> written;
    bool clientReads = true;
    Transport transport([&](const QByteArray& bytes) {
        written.push_back(bytes);
        return clientReads;
    });
    transport.send(QJsonObject{{"text", "ж"}});
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], QByteArray("Content-Length: 13\r\n\r\n{\"text\":\"ж\"}"));
    clientReads = false;
    transport.send(QJsonObject{{"text", "a"}});
    transport.send(QJsonObject{{"text", "b"}});
    EXPECT_EQ(written.size(), 2u);
    EXPECT_FALSE(transport.reachable());
}

} // namespace
