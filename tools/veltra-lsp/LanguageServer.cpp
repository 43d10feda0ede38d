#include "tools/veltra-lsp/LanguageServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cstdio>

#include "tools/veltra-lsp/Features.h"
#include "tools/veltra-lsp/Protocol.h"

namespace veltra::lsp {

namespace {

QJsonValue documentUri(const QJsonObject& params) {
    return stringAt(objectAt(params, QStringLiteral("textDocument")), QStringLiteral("uri"));
}

} // namespace

LanguageServer::LanguageServer(Send send) : send_(std::move(send)) {
    requests_ = {
        {"initialize", &LanguageServer::initialize},
        {"shutdown", &LanguageServer::shutdown},
        {"textDocument/hover", &LanguageServer::hover},
        {"textDocument/completion", &LanguageServer::completion},
        {"textDocument/definition", &LanguageServer::definition},
        {"textDocument/references", &LanguageServer::references},
        {"textDocument/prepareRename", &LanguageServer::prepareRename},
        {"textDocument/rename", &LanguageServer::rename},
        {"textDocument/documentSymbol", &LanguageServer::documentSymbol},
        {"textDocument/semanticTokens/full", &LanguageServer::semanticTokensFull},
        {"textDocument/semanticTokens/range", &LanguageServer::semanticTokensRange},
    };
    notifications_ = {
        {"textDocument/didOpen", &LanguageServer::didOpen},
        {"textDocument/didChange", &LanguageServer::didChange},
        {"textDocument/didClose", &LanguageServer::didClose},
        {"exit", &LanguageServer::exit},
    };
}

void LanguageServer::handleFramingFault(const QString& fault) {
    respondError(QJsonValue::Null, error::kParseError, fault);
}

void LanguageServer::handleMessage(const QByteArray& body) {
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        respondError(QJsonValue::Null, error::kParseError,
                     QStringLiteral("not JSON: %1 at byte %2").arg(parseError.errorString()).arg(parseError.offset));
        return;
    }
    if (!json.isObject()) {
        respondError(QJsonValue::Null, error::kInvalidRequest,
                     json.isArray() ? QStringLiteral("batches are not part of the language server protocol")
                                    : QStringLiteral("a message must be a JSON object"));
        return;
    }
    dispatch(json.object());
}

void LanguageServer::dispatch(const QJsonObject& message) {
    const QJsonValue id = message.value(QStringLiteral("id"));
    const bool isRequest = message.contains(QStringLiteral("id"));
    const QJsonValue method = message.value(QStringLiteral("method"));
    if (isRequest && !id.isString() && !id.isDouble()) {
        respondError(QJsonValue::Null, error::kInvalidRequest, QStringLiteral("an id must be a number or a string"));
        return;
    }
    if (message.value(QStringLiteral("jsonrpc")) != QStringLiteral("2.0") ||
        (!method.isString() && !message.contains(QStringLiteral("result")) &&
         !message.contains(QStringLiteral("error")))) {
        if (isRequest || !method.isUndefined())
            respondError(isRequest ? id : QJsonValue::Null, error::kInvalidRequest,
                         QStringLiteral("not a JSON-RPC 2.0 request or notification"));
        return;
    }
    if (!method.isString()) return; // a response: the server asks the client nothing
    const QString name = method.toString();
    const QJsonValue paramsValue = message.value(QStringLiteral("params"));
    if (!paramsValue.isUndefined() && !paramsValue.isObject() && !paramsValue.isNull()) {
        if (isRequest) respondError(id, error::kInvalidParams, QStringLiteral("params must be an object"));
        return;
    }
    const QJsonObject params = paramsValue.toObject();

    if (!isRequest) {
        const auto handler = notifications_.constFind(name);
        // Before initialize only exit counts; after shutdown likewise.
        if (handler == notifications_.constEnd() || ((!initialized_ || shutDown_) && name != QLatin1String("exit")))
            return;
        try {
            (this->**handler)(params);
        } catch (const RpcError& e) {
            log(QStringLiteral("%1: %2").arg(printable(name), e.message));
        } catch (const std::bad_alloc&) {
            log(QStringLiteral("%1: not enough memory").arg(printable(name)));
        }
        return;
    }

    const auto handler = requests_.constFind(name);
    if (handler == requests_.constEnd()) {
        respondError(id, error::kMethodNotFound, QStringLiteral("no method %1").arg(printable(name)));
        return;
    }
    if (!initialized_ && name != QLatin1String("initialize")) {
        respondError(id, error::kServerNotInitialized, QStringLiteral("the server is not initialized yet"));
        return;
    }
    if (shutDown_) {
        respondError(id, error::kInvalidRequest, QStringLiteral("the server is shut down"));
        return;
    }
    try {
        respond(id, (this->**handler)(params));
    } catch (const RpcError& e) {
        respondError(id, e.code, e.message);
    } catch (const std::bad_alloc&) {
        respondError(id, error::kInternalError, QStringLiteral("not enough memory"));
    }
}

void LanguageServer::respond(const QJsonValue& id, const QJsonValue& result) {
    write(QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
}

void LanguageServer::respondError(const QJsonValue& id, int code, const QString& message) {
    write(QJsonObject{
        {"jsonrpc", "2.0"}, {"id", id}, {"error", QJsonObject{{"code", code}, {"message", message}}}});
}

void LanguageServer::notify(const QString& method, const QJsonObject& params) {
    write(QJsonObject{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

void LanguageServer::write(const QJsonObject& message) {
    if (!reachable_) return;
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    const QByteArray frame = "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    reachable_ = send_(frame);
}

void LanguageServer::log(const QString& text) {
    // window/logMessage type 3: information, for the client's log.
    notify(QStringLiteral("window/logMessage"), QJsonObject{{"type", 3}, {"message", text}});
}

const Document& LanguageServer::document(const QJsonObject& params) const {
    const QString uri = documentUri(params).toString();
    const auto it = documents_.find(uri);
    if (it == documents_.end())
        throw RpcError{error::kRequestFailed, QStringLiteral("unknown document %1 (not opened)").arg(printable(uri))};
    return it->second;
}

QJsonValue LanguageServer::initialize(const QJsonObject& params) {
    if (initialized_) throw RpcError{error::kInvalidRequest, QStringLiteral("initialize was sent twice")};
    const QJsonValue pid = params.value(QStringLiteral("processId"));
    if (pid.isDouble() && pid.toDouble() > 0) clientProcessId_ = qint64(pid.toDouble());

    const QJsonObject capabilities = params.value(QStringLiteral("capabilities")).toObject();
    // The first unit the client names that the server knows, in the client's
    // order of preference; UTF-16 when it names none.
    const QJsonArray offered =
        capabilities.value(QStringLiteral("general")).toObject().value(QStringLiteral("positionEncodings")).toArray();
    for (const QJsonValue& name : offered) {
        if (const auto encoding = encodingNamed(name.toString())) {
            encoding_ = *encoding;
            break;
        }
    }
    hierarchicalSymbols_ = capabilities.value(QStringLiteral("textDocument"))
                               .toObject()
                               .value(QStringLiteral("documentSymbol"))
                               .toObject()
                               .value(QStringLiteral("hierarchicalDocumentSymbolSupport"))
                               .toBool();
    initialized_ = true;

    const QJsonObject serverCapabilities{
        {"positionEncoding", encodingName(encoding_)},
        {"textDocumentSync", QJsonObject{{"openClose", true}, {"change", 2}}},
        {"hoverProvider", true},
        {"completionProvider", QJsonObject{{"triggerCharacters", QJsonArray{"_", "="}}}},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"renameProvider", QJsonObject{{"prepareProvider", true}}},
        {"documentSymbolProvider", true},
        {"semanticTokensProvider",
         QJsonObject{{"legend", QJsonObject{{"tokenTypes", semanticTokenTypes()}, {"tokenModifiers", QJsonArray{}}}},
                     {"full", true},
                     {"range", true}}},
    };
    return QJsonObject{{"capabilities", serverCapabilities},
                       {"serverInfo", QJsonObject{{"name", "veltra-lsp"}, {"version", VELTRA_VERSION}}}};
}

QJsonValue LanguageServer::shutdown(const QJsonObject&) {
    shutDown_ = true;
    return QJsonValue::Null;
}

QJsonValue LanguageServer::exit(const QJsonObject&) {
    exitCode_ = shutDown_ ? 0 : 1;
    return {};
}

QJsonValue LanguageServer::didOpen(const QJsonObject& params) {
    const QJsonObject item = objectAt(params, QStringLiteral("textDocument"));
    const QString uri = stringAt(item, QStringLiteral("uri"));
    Document doc(stringAt(item, QStringLiteral("text")), intAt(item, QStringLiteral("version")));
    documents_.insert_or_assign(uri, std::move(doc));
    pending_.insert(uri);
    return {};
}

QJsonValue LanguageServer::didChange(const QJsonObject& params) {
    const QJsonObject item = objectAt(params, QStringLiteral("textDocument"));
    const QString uri = stringAt(item, QStringLiteral("uri"));
    const int version = intAt(item, QStringLiteral("version"));
    const auto it = documents_.find(uri);
    if (it == documents_.end())
        throw RpcError{error::kRequestFailed, QStringLiteral("a change of %1, which is not open").arg(printable(uri))};
    Document& doc = it->second;
    const QJsonValue changes = params.value(QStringLiteral("contentChanges"));
    if (!changes.isArray()) throw RpcError{error::kInvalidParams, QStringLiteral("'contentChanges' must be an array")};
    for (const QJsonValue& value : changes.toArray()) {
        const QJsonObject change = value.toObject();
        const QString text = stringAt(change, QStringLiteral("text"));
        if (!change.contains(QStringLiteral("range"))) {
            doc.setText(text, version);
            continue;
        }
        const QJsonObject range = objectAt(change, QStringLiteral("range"));
        const Position from = positionAt(range, QStringLiteral("start"));
        const Position to = positionAt(range, QStringLiteral("end"));
        doc.replace(doc.offsetOf(from.line, from.character, encoding_), doc.offsetOf(to.line, to.character, encoding_),
                    text, version);
    }
    pending_.insert(uri);
    return {};
}

QJsonValue LanguageServer::didClose(const QJsonObject& params) {
    const QString uri = documentUri(params).toString();
    if (documents_.erase(uri) == 0) return {};
    pending_.remove(uri);
    // A closed document keeps no marks in the client.
    notify(QStringLiteral("textDocument/publishDiagnostics"),
           QJsonObject{{"uri", uri}, {"diagnostics", QJsonArray{}}});
    return {};
}

void LanguageServer::publishPending() {
    const QSet<QString> uris = std::exchange(pending_, {});
    for (const QString& uri : uris) {
        const auto it = documents_.find(uri);
        if (it == documents_.end()) continue;
        notify(QStringLiteral("textDocument/publishDiagnostics"),
               QJsonObject{{"uri", uri},
                           {"version", it->second.version()},
                           {"diagnostics", diagnostics(it->second, encoding_)}});
    }
}

QJsonValue LanguageServer::hover(const QJsonObject& params) {
    return lsp::hover(document(params), positionAt(params), encoding_);
}

QJsonValue LanguageServer::completion(const QJsonObject& params) {
    return lsp::completion(document(params), positionAt(params), encoding_);
}

QJsonValue LanguageServer::definition(const QJsonObject& params) {
    return lsp::definition(document(params), documentUri(params).toString(), positionAt(params), encoding_);
}

QJsonValue LanguageServer::references(const QJsonObject& params) {
    const bool withDefinition = params.value(QStringLiteral("context"))
                                    .toObject()
                                    .value(QStringLiteral("includeDeclaration"))
                                    .toBool(true);
    return lsp::references(document(params), documentUri(params).toString(), positionAt(params), withDefinition,
                           encoding_);
}

QJsonValue LanguageServer::prepareRename(const QJsonObject& params) {
    return lsp::prepareRename(document(params), positionAt(params), encoding_);
}

QJsonValue LanguageServer::rename(const QJsonObject& params) {
    return lsp::rename(document(params), documentUri(params).toString(), positionAt(params),
                       stringAt(params, QStringLiteral("newName")), encoding_);
}

QJsonValue LanguageServer::documentSymbol(const QJsonObject& params) {
    return documentSymbols(document(params), documentUri(params).toString(), hierarchicalSymbols_, encoding_);
}

QJsonValue LanguageServer::semanticTokensFull(const QJsonObject& params) {
    const Document& doc = document(params);
    return QJsonObject{{"data", semanticTokens(doc, 0, doc.lineCount() - 1, encoding_)}};
}

QJsonValue LanguageServer::semanticTokensRange(const QJsonObject& params) {
    const Document& doc = document(params);
    const QJsonObject range = objectAt(params, QStringLiteral("range"));
    return QJsonObject{{"data", semanticTokens(doc, positionAt(range, QStringLiteral("start")).line,
                                               positionAt(range, QStringLiteral("end")).line, encoding_)}};
}

} // namespace veltra::lsp
