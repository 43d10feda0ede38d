#pragma once
// JSON-RPC and protocol pieces shared by the server's handlers: the error
// codes, the error a handler throws, readers of parameters that throw it, and
// positions and ranges in the agreed unit.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include "tools/veltra-lsp/Document.h"

namespace veltra::lsp {

namespace error {
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;
} // namespace error

// What a handler throws to answer with an error instead of a result.
struct RpcError {
    int code;
    QString message;
};

// Members of the parameters; a missing member or one of the wrong type is
// InvalidParams, naming it.
QJsonObject objectAt(const QJsonObject& object, const QString& key);
QString stringAt(const QJsonObject& object, const QString& key);
int intAt(const QJsonObject& object, const QString& key);

struct Position {
    int line = 0;
    int character = 0;
};

Position positionAt(const QJsonObject& params, const QString& key = QStringLiteral("position"));

// A range of one line of `doc`, from UTF-16 index `from` to `to`.
QJsonObject lineRange(const Document& doc, int line, int from, int to, PositionEncoding encoding);

// Where a UTF-16 index of a line stands in the agreed unit.
int characterOf(const Document& doc, int line, int utf16, PositionEncoding encoding);

// A name that the server prints on a terminal or a log line: control
// characters as \xNN, so one message stays one line.
QString printable(const QString& name);

} // namespace veltra::lsp
