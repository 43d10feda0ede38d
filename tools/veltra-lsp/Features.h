#pragma once
// What the server answers about one document. Each function reads the
// document and the compiler's tables; none keeps state. Positions come and go
// in the agreed unit (`encoding`).

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include "tools/veltra-lsp/Document.h"
#include "tools/veltra-lsp/Protocol.h"

namespace veltra::lsp {

// Bounds what one publication carries: a text of 16 MiB of wrong lines would
// otherwise give a message of hundreds of megabytes. A program of 1000 words
// never comes near it.
constexpr int kMaxDiagnostics = 10000;

// Every error of the check, in its order, each over its whole line.
QJsonArray diagnostics(const Document& doc, PositionEncoding encoding);

// The help topic of a keyword, object or parameter word; a number's value and
// the values the compiler takes in its place; a label's defining line.
QJsonValue hover(const Document& doc, Position at, PositionEncoding encoding);

// The words that may stand at `at` in the line as the compiler reads it.
QJsonArray completion(const Document& doc, Position at, PositionEncoding encoding);

// Labels: where one is defined, where it is used, renumbering it, and the
// outline of the program by its labels.
QJsonValue definition(const Document& doc, const QString& uri, Position at, PositionEncoding encoding);
QJsonArray references(const Document& doc, const QString& uri, Position at, bool withDefinition,
                      PositionEncoding encoding);
QJsonValue prepareRename(const Document& doc, Position at, PositionEncoding encoding);
QJsonObject rename(const Document& doc, const QString& uri, Position at, const QString& newName,
                   PositionEncoding encoding);
QJsonArray documentSymbols(const Document& doc, const QString& uri, bool hierarchical, PositionEncoding encoding);

// Semantic tokens: the legend's token types (in the order of TokenKind) and
// the encoded tokens of lines first..last.
QJsonArray semanticTokenTypes();
QJsonArray semanticTokens(const Document& doc, int first, int last, PositionEncoding encoding);

} // namespace veltra::lsp
