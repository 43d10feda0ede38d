#pragma once
// JSON-RPC pieces shared by the server's handlers: the error codes, the error
// a handler throws, and readers of parameters that throw it.

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

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

// A position as the client counts it, in the agreed unit.
struct Position {
    int line = 0;
    int character = 0;
};

Position positionAt(const QJsonObject& params, const QString& key = QStringLiteral("position"));

// A name that the server prints on a terminal or a log line: control
// characters as \xNN, so one message stays one line.
QString printable(const QString& name);

} // namespace veltra::lsp
