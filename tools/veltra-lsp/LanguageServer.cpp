#include "tools/veltra-lsp/LanguageServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include "tools/veltra-lsp/LspJson.h"
#include "tools/veltra-lsp/Protocol.h"

namespace veltra::lsp {

namespace {

QJsonObject semanticTokensProvider(const char* request) {
    const QJsonObject legend{{"tokenTypes", semanticTokenTypes()}, {"tokenModifiers", QJsonArray{}}};
    return QJsonObject{{"semanticTokensProvider", QJsonObject{{"legend", legend}, {request, true}}}};
}

// Objects met under the same key are merged, so that two rows can announce
// parts of one capability.
void mergeInto(QJsonObject& into, const QJsonObject& part) {
    for (auto it = part.begin(); it != part.end(); ++it) {
        const QJsonValue there = into.value(it.key());
        if (it->isObject() && there.isObject()) {
            QJsonObject merged = there.toObject();
            mergeInto(merged, it->toObject());
            into.insert(it.key(), merged);
        } else {
            into.insert(it.key(), *it);
        }
    }
}

} // namespace

const LanguageServer::Method LanguageServer::kMethods[] = {
    {"initialize", false, &LanguageServer::initialize, nullptr},
    {"shutdown", false, &LanguageServer::shutdown, nullptr},
    {"exit", true, &LanguageServer::exit, nullptr},
    {"textDocument/didOpen", true, &LanguageServer::didOpen,
     [] {
         return QJsonObject{{"textDocumentSync", QJsonObject{{"openClose", true}}}};
     }},
    {"textDocument/didClose", true, &LanguageServer::didClose,
     [] {
         return QJsonObject{{"textDocumentSync", QJsonObject{{"openClose", true}}}};
     }},
    // 2: incremental, the changed ranges only.
    {"textDocument/didChange", true, &LanguageServer::didChange,
     [] {
         return QJsonObject{{"textDocumentSync", QJsonObject{{"change", 2}}}};
     }},
    {"textDocument/hover", false, &LanguageServer::hover,
     [] {
         return QJsonObject{{"hoverProvider", true}};
     }},
    {"textDocument/completion", false, &LanguageServer::completion,
     [] {
         return QJsonObject{{"completionProvider", QJsonObject{{"triggerCharacters", QJsonArray{"_", "="}}}}};
     }},
    {"textDocument/definition", false, &LanguageServer::definition,
     [] {
         return QJsonObject{{"definitionProvider", true}};
     }},
    {"textDocument/references", false, &LanguageServer::references,
     [] {
         return QJsonObject{{"referencesProvider", true}};
     }},
    {"textDocument/rename", false, &LanguageServer::rename,
     [] {
         return QJsonObject{{"renameProvider", QJsonObject{}}};
     }},
    {"textDocument/prepareRename", false, &LanguageServer::prepareRename,
     [] {
         return QJsonObject{{"renameProvider", QJsonObject{{"prepareProvider", true}}}};
     }},
    {"textDocument/documentSymbol", false, &LanguageServer::documentSymbol,
     [] {
         return QJsonObject{{"documentSymbolProvider", true}};
     }},
    {"textDocument/semanticTokens/full", false, &LanguageServer::semanticTokensFull,
     [] { return semanticTokensProvider("full"); }},
    {"textDocument/semanticTokens/range", false, &LanguageServer::semanticTokensRange,
     [] { return semanticTokensProvider("range"); }},
};

const LanguageServer::Method* LanguageServer::findMethod(const QString& name, bool notification) {
    for (const Method& method : kMethods)
        if (method.notification == notification && name == QLatin1String(method.name)) return &method;
    return nullptr;
}

QJsonObject LanguageServer::announcedCapabilities() {
    QJsonObject capabilities;
    for (const Method& method : kMethods)
        if (method.capability) mergeInto(capabilities, method.capability());
    return capabilities;
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
    const Method* row = findMethod(name, !isRequest);

    if (!isRequest) {
        // Before initialize only exit counts; after shutdown likewise.
        if (!row || ((!initialized_ || shutDown_) && name != QLatin1String("exit"))) return;
        try {
            (this->*row->handler)(params);
        } catch (const RpcError& e) {
            log(QStringLiteral("%1: %2").arg(printable(name), e.message));
        } catch (const std::bad_alloc&) {
            log(QStringLiteral("%1: not enough memory").arg(printable(name)));
        }
        return;
    }

    if (!row) {
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
        respond(id, (this->*row->handler)(params));
    } catch (const RpcError& e) {
        respondError(id, e.code, e.message);
    } catch (const std::bad_alloc&) {
        respondError(id, error::kInternalError, QStringLiteral("not enough memory"));
    }
}

void LanguageServer::respond(const QJsonValue& id, const QJsonValue& result) {
    send_(QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
}

void LanguageServer::respondError(const QJsonValue& id, int code, const QString& message) {
    send_(QJsonObject{
        {"jsonrpc", "2.0"}, {"id", id}, {"error", QJsonObject{{"code", code}, {"message", message}}}});
}

void LanguageServer::notify(const QString& method, const QJsonObject& params) {
    send_(QJsonObject{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

void LanguageServer::log(const QString& text) {
    // window/logMessage type 3: information, for the client's log.
    notify(QStringLiteral("window/logMessage"), QJsonObject{{"type", 3}, {"message", text}});
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

    QJsonObject serverCapabilities = announcedCapabilities();
    serverCapabilities.insert(QStringLiteral("positionEncoding"), encodingName(encoding_));
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

void LanguageServer::publishPending() {
    const QSet<QString> uris = std::exchange(pending_, {});
    for (const QString& uri : uris) {
        const auto it = documents_.find(uri);
        if (it == documents_.end()) continue;
        const Document& doc = it->second;
        notify(QStringLiteral("textDocument/publishDiagnostics"),
               QJsonObject{{"uri", uri},
                           {"version", doc.version()},
                           {"diagnostics", LspJson(doc, encoding_).diagnostics(lsp::diagnostics(doc))}});
    }
}

} // namespace veltra::lsp
