#pragma once
// What the server answers about one document, as plain data. Each function
// reads the document and the compiler's tables; none keeps state. Places are
// a line and UTF-16 indices in it, as the document holds its text: the
// protocol's unit and its JSON are LspJson's business.

#include <QString>

#include <optional>
#include <vector>

#include "language/ProgramTokens.h"
#include "tools/veltra-lsp/Document.h"

namespace veltra::lsp {

// A place in a document: a line and a UTF-16 index in it.
struct TextPoint {
    int line = 0;
    int utf16 = 0;
};

// UTF-16 indices [from, to) of one line.
struct LineSpan {
    int line = 0;
    int from = 0;
    int to = 0;
};

// Bounds what one publication carries: a text of 16 MiB of wrong lines would
// otherwise give a message of hundreds of megabytes. A program of 1000 words
// never comes near it.
constexpr int kMaxDiagnostics = 10000;

struct Diagnostic {
    LineSpan span; // the whole line
    QString message;
};

// Every error of the check, in its order, each over its whole line.
std::vector<Diagnostic> diagnostics(const Document& doc);

struct Hover {
    QString markdown;
    LineSpan span; // the word
};

// The help topic of a keyword, object or parameter word; a number's value and
// the values the compiler takes in its place; a label's defining line.
std::optional<Hover> hover(const Document& doc, TextPoint at);

enum class CompletionKind { Variable, Value, Keyword, Reference };

struct CompletionItem {
    QString word;
    CompletionKind kind;
    QString detail;
    LineSpan replaced; // the word's part before the caret
};

// The words that may stand at `at` in the line as the compiler reads it.
std::vector<CompletionItem> completion(const Document& doc, TextPoint at);

// Labels: where one is defined, where it is used, renumbering it, and the
// outline of the program by its labels.
std::optional<LineSpan> definition(const Document& doc, TextPoint at);
std::vector<LineSpan> references(const Document& doc, TextPoint at, bool withDefinition);

struct RenameTarget {
    LineSpan span;
    QString name; // as written
};
std::optional<RenameTarget> prepareRename(const Document& doc, TextPoint at);

struct TextEdit {
    LineSpan span;
    QString newText;
};

// The edits that renumber a label, or why it cannot be (no edits then).
struct Renumbering {
    std::vector<TextEdit> edits;
    QString refusal;
};
Renumbering rename(const Document& doc, TextPoint at, const QString& newName);

struct LabelSymbol {
    QString name;
    QString detail;
    LineSpan nameSpan;
    int lastLine = 0; // the label's part of the program runs up to the next label
};
std::vector<LabelSymbol> labelSymbols(const Document& doc);

struct SemanticToken {
    LineSpan span;
    TokenKind kind;
};

// The editor's colouring of lines first..last.
std::vector<SemanticToken> semanticTokens(const Document& doc, int first, int last);

} // namespace veltra::lsp
