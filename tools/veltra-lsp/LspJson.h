#pragma once
// The one layer where the features' plain answers become the protocol's
// JSON: positions counted in the unit agreed at `initialize` (the document
// and the features count UTF-16), and the protocol's numbers for kinds and
// severities. The other way, a position the client sent becomes a place in
// the document.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>
#include <vector>

#include "tools/veltra-lsp/Document.h"
#include "tools/veltra-lsp/Features.h"
#include "tools/veltra-lsp/Protocol.h"

namespace veltra::lsp {

// The legend's token types, in the order of TokenKind.
QJsonArray semanticTokenTypes();

class LspJson {
  public:
    LspJson(const Document& doc, PositionEncoding encoding) : doc_(doc), encoding_(encoding) {}

    TextPoint point(Position at) const;
    QJsonObject range(const LineSpan& span) const;

    QJsonArray diagnostics(const std::vector<Diagnostic>& list) const;
    QJsonValue hover(const std::optional<Hover>& hover) const;
    QJsonArray completion(const std::vector<CompletionItem>& items) const;
    QJsonValue location(const QString& uri, const std::optional<LineSpan>& span) const;
    QJsonArray locations(const QString& uri, const std::vector<LineSpan>& spans) const;
    QJsonValue renameTarget(const std::optional<RenameTarget>& target) const;
    QJsonObject workspaceEdit(const QString& uri, const std::vector<TextEdit>& edits) const;
    // DocumentSymbol with the label's part of the program when the client
    // takes the hierarchy, else SymbolInformation.
    QJsonArray symbols(const QString& uri, const std::vector<LabelSymbol>& labels, bool hierarchical) const;
    // Relative to the token before, five numbers a token.
    QJsonArray semanticTokens(const std::vector<SemanticToken>& tokens) const;

  private:
    // Where a UTF-16 index of a line stands in the agreed unit.
    int character(int line, int utf16) const;
    QJsonObject position(int line, int utf16) const;

    const Document& doc_;
    PositionEncoding encoding_;
};

} // namespace veltra::lsp
