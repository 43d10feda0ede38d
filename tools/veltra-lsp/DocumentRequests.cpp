// The server's methods on documents: the open documents kept up to date, and
// each request answered by its feature, with the client's positions and the
// answer's JSON in the agreed unit (LspJson).

#include "tools/veltra-lsp/Features.h"
#include "tools/veltra-lsp/LanguageServer.h"
#include "tools/veltra-lsp/LspJson.h"
#include "tools/veltra-lsp/Protocol.h"

namespace veltra::lsp {

namespace {

QString documentUri(const QJsonObject& params) {
    return stringAt(objectAt(params, QStringLiteral("textDocument")), QStringLiteral("uri"));
}

} // namespace

const Document& LanguageServer::document(const QJsonObject& params) const {
    const QString uri = documentUri(params);
    const auto it = documents_.find(uri);
    if (it == documents_.end())
        throw RpcError{error::kRequestFailed,
                       QStringLiteral("unknown document %1 (not opened)").arg(printable(uri))};
    return it->second;
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
        throw RpcError{error::kRequestFailed,
                       QStringLiteral("a change of %1, which is not open").arg(printable(uri))};
    Document& doc = it->second;
    const QJsonValue changes = params.value(QStringLiteral("contentChanges"));
    if (!changes.isArray())
        throw RpcError{error::kInvalidParams, QStringLiteral("'contentChanges' must be an array")};
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
        doc.replace(doc.offsetOf(from.line, from.character, encoding_),
                    doc.offsetOf(to.line, to.character, encoding_), text, version);
    }
    pending_.insert(uri);
    return {};
}

QJsonValue LanguageServer::didClose(const QJsonObject& params) {
    const QString uri = documentUri(params);
    if (documents_.erase(uri) == 0) return {};
    pending_.remove(uri);
    // A closed document keeps no marks in the client.
    notify(QStringLiteral("textDocument/publishDiagnostics"),
           QJsonObject{{"uri", uri}, {"diagnostics", QJsonArray{}}});
    return {};
}

struct LanguageServer::Place {
    const Document& doc;
    LspJson json;
    TextPoint at;
};

// The position is read before the document, so that a request wrong in both
// ways is told of its parameters first.
LanguageServer::Place LanguageServer::place(const QJsonObject& params) const {
    const Position at = positionAt(params);
    const Document& doc = document(params);
    const LspJson json(doc, encoding_);
    return {doc, json, json.point(at)};
}

QJsonValue LanguageServer::hover(const QJsonObject& params) {
    const Place p = place(params);
    return p.json.hover(lsp::hover(p.doc, p.at));
}

QJsonValue LanguageServer::completion(const QJsonObject& params) {
    const Place p = place(params);
    return p.json.completion(lsp::completion(p.doc, p.at));
}

QJsonValue LanguageServer::definition(const QJsonObject& params) {
    const Place p = place(params);
    return p.json.location(documentUri(params), lsp::definition(p.doc, p.at));
}

QJsonValue LanguageServer::references(const QJsonObject& params) {
    const bool withDefinition = params.value(QStringLiteral("context"))
                                    .toObject()
                                    .value(QStringLiteral("includeDeclaration"))
                                    .toBool(true);
    const Place p = place(params);
    return p.json.locations(documentUri(params), lsp::references(p.doc, p.at, withDefinition));
}

QJsonValue LanguageServer::prepareRename(const QJsonObject& params) {
    const Place p = place(params);
    return p.json.renameTarget(lsp::prepareRename(p.doc, p.at));
}

QJsonValue LanguageServer::rename(const QJsonObject& params) {
    const QString newName = stringAt(params, QStringLiteral("newName"));
    const Place p = place(params);
    const Renumbering renumbering = lsp::rename(p.doc, p.at, newName);
    if (!renumbering.refusal.isEmpty()) throw RpcError{error::kRequestFailed, renumbering.refusal};
    return p.json.workspaceEdit(documentUri(params), renumbering.edits);
}

QJsonValue LanguageServer::documentSymbol(const QJsonObject& params) {
    const Document& doc = document(params);
    return LspJson(doc, encoding_).symbols(documentUri(params), labelSymbols(doc), hierarchicalSymbols_);
}

QJsonValue LanguageServer::semanticTokensFull(const QJsonObject& params) {
    const Document& doc = document(params);
    return QJsonObject{
        {"data", LspJson(doc, encoding_).semanticTokens(semanticTokens(doc, 0, doc.lineCount() - 1))}};
}

QJsonValue LanguageServer::semanticTokensRange(const QJsonObject& params) {
    const Document& doc = document(params);
    const QJsonObject range = objectAt(params, QStringLiteral("range"));
    const int first = positionAt(range, QStringLiteral("start")).line;
    const int last = positionAt(range, QStringLiteral("end")).line;
    return QJsonObject{{"data", LspJson(doc, encoding_).semanticTokens(semanticTokens(doc, first, last))}};
}

} // namespace veltra::lsp
