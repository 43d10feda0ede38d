// The real veltra-lsp driven over pipes as an editor drives it.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QProcess>

#include "help/HelpTexts.h"
#include "language/ProgramTokens.h"
#include "tests/lsp/LspClient.h"

using namespace veltra;
using namespace veltra::test;

namespace {

const QString kUri = QStringLiteral("file:///tmp/program.vel");

QString json(const QJsonValue& value) {
    return QString::fromUtf8(QJsonDocument::fromVariant(value.toVariant()).toJson(QJsonDocument::Compact));
}

QJsonObject range(int line, int from, int to) {
    return {{"start", position(line, from)}, {"end", position(line, to)}};
}

QStringList messagesOf(const QJsonArray& diagnostics) {
    QStringList messages;
    for (const QJsonValue& d : diagnostics)
        messages << d["message"].toString();
    return messages;
}

QStringList labelsOf(const QJsonValue& items) {
    QStringList labels;
    for (const QJsonValue& item : items.toArray())
        labels << item["label"].toString();
    return labels;
}

TEST(LspSession, AnEditorsSessionFromInitializeToExit) {
    LspClient client;
    ASSERT_TRUE(client.started());
    const QJsonObject init = client.initialize();
    const QJsonObject caps = init["capabilities"].toObject();
    EXPECT_EQ(caps["positionEncoding"], "utf-16");
    EXPECT_EQ(caps["textDocumentSync"]["change"], 2);
    EXPECT_EQ(init["serverInfo"]["name"], "veltra-lsp");

    // Line 3 is wrong, and so is the jump to a label nobody defines.
    client.open(kUri, "метка_1:\nсвд = ж,7\nсвд_1 = х\nпереход метка_1\nпереход метка_2\n");
    std::optional<QJsonArray> marks = client.diagnostics(kUri);
    ASSERT_TRUE(marks);
    EXPECT_EQ(messagesOf(*marks),
              QStringList({"[стр.  3] ОШИБКА: параметр команды", "ОШИБКА: неверная метка [ 2 ] !"}));
    EXPECT_EQ(std::as_const(*marks)[0]["range"], range(2, 0, 9));
    EXPECT_EQ(std::as_const(*marks)[0]["severity"], 1);
    EXPECT_EQ(std::as_const(*marks)[1]["range"], range(4, 0, 15));

    // The editor mends line 3 with an edit of one character, then the jump.
    client.notify("textDocument/didChange",
                  {{"textDocument", QJsonObject{{"uri", kUri}, {"version", 2}}},
                   {"contentChanges", QJsonArray{QJsonObject{{"range", range(2, 8, 9)}, {"text", "к"}},
                                                 QJsonObject{{"range", range(4, 14, 15)}, {"text", "1"}}}}});
    marks = client.diagnostics(kUri);
    ASSERT_TRUE(marks);
    EXPECT_TRUE(marks->isEmpty()) << json(*marks).toStdString();

    // Hover: a keyword gives its help topic, word for word; a number the
    // values the compiler takes there; a label its line.
    const QJsonObject hoverLed = client.call("textDocument/hover", at(kUri, 1, 1)).toObject();
    const QString ledText = toQStringList(findLanguageHelpTopic("Label4")->lines).join('\n');
    EXPECT_EQ(hoverLed["contents"]["kind"], "markdown");
    EXPECT_TRUE(hoverLed["contents"]["value"].toString().contains(ledText));
    EXPECT_EQ(hoverLed["range"], range(1, 0, 3));
    EXPECT_EQ(client.call("textDocument/hover", at(kUri, 1, 8))["contents"]["value"], "**7** — допустимо: 0…15");
    EXPECT_TRUE(client.call("textDocument/hover", at(kUri, 3, 10))["contents"]["value"].toString().startsWith(
        "**метка_1:** строка 1"));
    EXPECT_TRUE(client.call("textDocument/hover", at(kUri, 1, 4)).isNull()); // a blank

    // Completion offers what the compiler takes there, and only that.
    client.notify("textDocument/didChange",
                  {{"textDocument", QJsonObject{{"uri", kUri}, {"version", 3}}},
                   {"contentChanges", QJsonArray{QJsonObject{{"range", range(5, 0, 0)}, {"text", "если "}}}}});
    EXPECT_EQ(labelsOf(client.call("textDocument/completion", at(kUri, 5, 5))),
              QStringList({"А", "В", "кн_1", "кн_2", "кн_3"}));
    EXPECT_EQ(labelsOf(client.call("textDocument/completion", at(kUri, 3, 8))), QStringList({"метка_", "метка_1"}));

    // Labels: definition, references, rename, outline.
    EXPECT_EQ(client.call("textDocument/definition", at(kUri, 4, 12)),
              QJsonObject({{"uri", kUri}, {"range", range(0, 0, 7)}}));
    QJsonObject refs = at(kUri, 0, 3);
    refs["context"] = QJsonObject{{"includeDeclaration", false}};
    EXPECT_EQ(client.call("textDocument/references", refs).toArray().size(), 2);
    QJsonObject renameParams = at(kUri, 3, 12);
    renameParams["newName"] = "метка_9";
    const QJsonArray edits = client.call("textDocument/rename", renameParams)["changes"][kUri].toArray();
    ASSERT_EQ(edits.size(), 3);
    EXPECT_EQ(edits[0], QJsonObject({{"range", range(0, 6, 7)}, {"newText", "9"}}));
    const QJsonArray outline =
        client.call("textDocument/documentSymbol", QJsonObject{{"textDocument", textDocument(kUri)}}).toArray();
    ASSERT_EQ(outline.size(), 1);
    EXPECT_EQ(outline[0]["name"], "метка_1");

    EXPECT_TRUE(client.call("shutdown").isNull());
    client.notify("exit");
    EXPECT_EQ(client.finish(20000, false), 0);
}

TEST(LspSession, SemanticTokensAreTheEditorsColouring) {
    LspClient client;
    client.initialize();
    const QString line = QStringLiteral("если кн_1==вкл тогда переход метка_12");
    client.open(kUri, "// комментарий\n" + line);
    const QJsonArray data =
        client.call("textDocument/semanticTokens/full", QJsonObject{{"textDocument", textDocument(kUri)}})["data"]
            .toArray();
    QJsonArray expected{0, 0, 14, int(TokenKind::Comment), 0};
    int previous = 0;
    bool first = true;
    for (const Token& token : programTokens(line)) {
        expected << (first ? 1 : 0) << token.start - previous << token.length << int(token.kind) << 0;
        previous = token.start;
        first = false;
    }
    EXPECT_EQ(data, expected);
}

TEST(LspSession, PositionsAreInTheUnitTheClientOffered) {
    // "порт_1 = " is 9 characters and 13 bytes of UTF-8; "вкл" 3 and 6.
    for (const char* unit : {"utf-8", "utf-16", "utf-32"}) {
        SCOPED_TRACE(unit);
        LspClient client;
        const QJsonObject init = client.initialize(
            {{"general", QJsonObject{{"positionEncodings", QJsonArray{"utf-99", unit, "utf-16"}}}}});
        EXPECT_EQ(init["capabilities"]["positionEncoding"], unit);
        const bool utf8 = QByteArray(unit) == "utf-8";
        const int value = utf8 ? 13 : 9;
        const int on = utf8 ? 6 : 3;
        // "😀" is one code point, two UTF-16 units, four bytes.
        const int smiley = QByteArray(unit) == "utf-32" ? 1 : utf8 ? 4 : 2;
        client.open(kUri, "// 😀\nпорт_1 = 0\n");
        ASSERT_TRUE(client.diagnostics(kUri));
        client.notify("textDocument/didChange",
                      {{"textDocument", QJsonObject{{"uri", kUri}, {"version", 2}}},
                       {"contentChanges", QJsonArray{QJsonObject{{"range", range(1, value, value + 1)}, {"text", "вкл"}}}}});
        const std::optional<QJsonArray> marks = client.diagnostics(kUri);
        ASSERT_TRUE(marks);
        EXPECT_TRUE(marks->isEmpty()) << json(*marks).toStdString();
        EXPECT_EQ(client.call("textDocument/hover", at(kUri, 1, value + 1))["range"], range(1, value, value + on));
        EXPECT_EQ(client.call("textDocument/semanticTokens/full", QJsonObject{{"textDocument", textDocument(kUri)}})
                      ["data"][2],
                  3 + smiley);
    }
}

TEST(LspLifeCycle, RequestsBeforeInitializeAndAfterShutdownAreRefusedAndExitSaysWhichCameFirst) {
    LspClient client;
    std::optional<QJsonObject> early = client.response(client.request("textDocument/hover", at(kUri, 0, 0)));
    ASSERT_TRUE(early);
    EXPECT_EQ(std::as_const(*early)["error"]["code"], -32002);
    client.initialize();
    const std::optional<QJsonObject> twice = client.response(client.request("initialize", {{"capabilities", QJsonObject{}}}));
    EXPECT_EQ(std::as_const(*twice)["error"]["code"], -32600);
    client.call("shutdown");
    const std::optional<QJsonObject> late = client.response(client.request("textDocument/hover", at(kUri, 0, 0)));
    EXPECT_EQ(std::as_const(*late)["error"]["code"], -32600);
    client.notify("exit");
    EXPECT_EQ(client.finish(20000, false), 0);

    LspClient rude;
    rude.initialize();
    rude.notify("exit"); // no shutdown first
    EXPECT_EQ(rude.finish(20000, false), 1);
}

TEST(LspLifeCycle, AClientThatVanishesEndsTheServer) {
    // Its end of the pipe closes.
    LspClient closed;
    closed.initialize();
    closed.open(kUri, "свд = ж\n");
    EXPECT_EQ(closed.finish(), 1);

    // Its process ends while the pipe stays open (another process holds it).
    QProcess editor;
    editor.start("sleep", {"600"});
    ASSERT_TRUE(editor.waitForStarted());
    LspClient orphan;
    orphan.initialize({}, qint64(editor.processId()));
    editor.kill();
    editor.waitForFinished();
    EXPECT_EQ(orphan.finish(20000, false), 1);
}

// Malformed input of every kind gets its JSON-RPC error (or, for a broken
// notification, nothing), and the server answers the next request as ever.
TEST(LspRobustness, MalformedInputGetsItsErrorAndTheServerGoesOn) {
    const auto framed = [](const QByteArray& body) {
        return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    };
    struct Case {
        const char* what;
        QByteArray bytes;
        int code;     // expected error code, 0 for no answer at all
        bool nullId;  // the error carries no id of a request
    };
    const Case cases[] = {
        {"not JSON", framed("{\"jsonrpc\": \"2.0\", \"id\": 5, "), -32700, true},
        {"JSON cut short by its length", "Content-Length: 4\r\n\r\n{\"js", -32700, true},
        {"a batch", framed("[{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"shutdown\"}]"), -32600, true},
        {"a bare string", framed("\"hello\""), -32700, true},
        {"no jsonrpc member", framed("{\"id\":5,\"method\":\"textDocument/hover\"}"), -32600, false},
        {"an id that is an object", framed("{\"jsonrpc\":\"2.0\",\"id\":{},\"method\":\"x\"}"), -32600, true},
        {"a method that is a number", framed("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":7}"), -32600, false},
        {"an unknown method", framed("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"workspace/frobnicate\"}"), -32601, false},
        {"an unknown notification", framed("{\"jsonrpc\":\"2.0\",\"method\":\"$/frobnicate\"}"), 0, false},
        {"params that are a list", framed("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"textDocument/hover\",\"params\":[1]}"), -32602, false},
        {"a hover without a position",
         framed("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"textDocument/hover\",\"params\":{\"textDocument\":{\"uri\":\"file:///p.vel\"}}}"),
         -32602, false},
        {"a negative line",
         framed("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"textDocument/hover\",\"params\":{\"textDocument\":{\"uri\":\"file:///p.vel\"},\"position\":{\"line\":-1,\"character\":0}}}"),
         -32602, false},
        {"a document never opened",
         framed("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"textDocument/hover\",\"params\":{\"textDocument\":{\"uri\":\"file:///nowhere\\u0007.vel\"},\"position\":{\"line\":0,\"character\":0}}}"),
         -32803, false},
        {"a change of a document never opened",
         framed("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didChange\",\"params\":{\"textDocument\":{\"uri\":\"file:///x\",\"version\":2},\"contentChanges\":[{\"text\":\"\"}]}}"),
         0, false},
        {"headers without a length", "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{}", -32700, true},
        {"a length that is no number", "Content-Length: twelve\r\n\r\n", -32700, true},
        {"a negative length", "Content-Length: -5\r\n\r\n", -32700, true},
        {"a charset other than UTF-8", "Content-Length: 2\r\nContent-Type: text/json; charset=latin1\r\n\r\n{}", -32700, true},
        {"a message of 300 MiB announced", "Content-Length: 314572800\r\n\r\n", -32700, true},
        {"garbage before a header", "hello there\r\n", -32700, true},
        {"a header line of 9 KiB", QByteArray(9 * 1024, 'x'), -32700, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LspClient client;
        client.initialize();
        client.open("file:///p.vel", "свд = ж\n");
        client.writeRaw(c.bytes);
        if (QByteArray(c.what) == "a message of 300 MiB announced") {
            // Its body arrives and is passed over without being kept.
            const QByteArray chunk(1 << 20, ' ');
            for (int i = 0; i < 300; ++i)
                client.writeRaw(chunk);
        }
        if (c.code != 0) {
            const std::optional<QJsonObject> answer =
                c.nullId ? client.responseWithNullId() : client.response(5);
            ASSERT_TRUE(answer);
            EXPECT_EQ(std::as_const(*answer)["error"]["code"], c.code) << json(*answer).toStdString();
            EXPECT_FALSE(std::as_const(*answer)["error"]["message"].toString().isEmpty());
        }
        // The server reads on: the next request is answered.
        EXPECT_EQ(client.call("textDocument/hover", at("file:///p.vel", 0, 1))["range"], range(0, 0, 3));
        client.call("shutdown");
        client.notify("exit");
        EXPECT_EQ(client.finish(20000, false), 0);
    }
}

TEST(LspRobustness, ADocumentOf16MiBIsCheckedAndAnsweredAndItsMarksAreBounded) {
    LspClient client;
    client.initialize();
    // 16 MiB of wrong lines: every line an error, the marks sent are bounded.
    const QString bad = QStringLiteral("свд_1 = х\n"); // 18 bytes of UTF-8
    client.open(kUri, bad.repeated((16 << 20) / 18));
    std::optional<QJsonArray> marks = client.diagnostics(kUri, 120000);
    ASSERT_TRUE(marks);
    EXPECT_EQ(marks->size(), 10000);
    EXPECT_EQ(std::as_const(*marks)[9999]["message"], "[стр.10000] ОШИБКА: параметр команды");
    // An edit at its end is applied and answered.
    const int last = (16 << 20) / 18 - 1;
    client.notify("textDocument/didChange",
                  {{"textDocument", QJsonObject{{"uri", kUri}, {"version", 2}}},
                   {"contentChanges", QJsonArray{QJsonObject{{"range", range(last, 8, 9)}, {"text", "к"}}}}});
    EXPECT_EQ(client.call("textDocument/hover", at(kUri, last, 8))["range"], range(last, 8, 9));
    // The edit's diagnostics, a check of the whole 16 MiB, go out before the
    // shutdown is read: a loaded machine takes its time.
    const std::optional<QJsonObject> shutDown = client.response(client.request("shutdown"), 120000);
    ASSERT_TRUE(shutDown);
    EXPECT_TRUE(std::as_const(*shutDown)["result"].isNull());
    client.notify("exit");
    EXPECT_EQ(client.finish(60000, false), 0);
}

} // namespace
