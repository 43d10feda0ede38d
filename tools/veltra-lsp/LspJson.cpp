#include "tools/veltra-lsp/LspJson.h"

namespace veltra::lsp {

namespace {

// The protocol's numbers.
constexpr int kSeverityError = 1;
constexpr int kSymbolFunction = 12;

int completionItemKind(CompletionKind kind) {
    switch (kind) {
    case CompletionKind::Variable:
        return 6;
    case CompletionKind::Value:
        return 12;
    case CompletionKind::Keyword:
        return 14;
    case CompletionKind::Reference:
        return 18;
    }
    return 1; // Text
}

} // namespace

QJsonArray semanticTokenTypes() {
    // In the order of TokenKind: keyword, object, parameter word, number,
    // label, comment. Labels are jump targets, the nearest of the protocol's
    // standard types is a function.
    return {"keyword", "variable", "enumMember", "number", "function", "comment"};
}

TextPoint LspJson::point(Position at) const {
    return {at.line, utf16Index(doc_.line(at.line), at.character, encoding_)};
}

int LspJson::character(int line, int utf16) const {
    return unitsOf(doc_.line(line).left(utf16), encoding_);
}

QJsonObject LspJson::position(int line, int utf16) const {
    return QJsonObject{{"line", line}, {"character", character(line, utf16)}};
}

QJsonObject LspJson::range(const LineSpan& span) const {
    return QJsonObject{{"start", position(span.line, span.from)}, {"end", position(span.line, span.to)}};
}

QJsonArray LspJson::diagnostics(const std::vector<Diagnostic>& list) const {
    QJsonArray out;
    for (const Diagnostic& d : list)
        out.append(QJsonObject{
            {"range", range(d.span)},
            {"severity", kSeverityError},
            {"source", "veltra"},
            {"message", d.message},
        });
    return out;
}

QJsonValue LspJson::hover(const std::optional<Hover>& hover) const {
    if (!hover) return QJsonValue::Null;
    return QJsonObject{
        {"contents", QJsonObject{{"kind", "markdown"}, {"value", hover->markdown}}},
        {"range", range(hover->span)},
    };
}

QJsonArray LspJson::completion(const std::vector<CompletionItem>& items) const {
    QJsonArray out;
    for (const CompletionItem& item : items)
        out.append(
            QJsonObject{{"label", item.word},
                        {"kind", completionItemKind(item.kind)},
                        {"detail", item.detail},
                        {"textEdit", QJsonObject{{"range", range(item.replaced)}, {"newText", item.word}}}});
    return out;
}

QJsonValue LspJson::location(const QString& uri, const std::optional<LineSpan>& span) const {
    if (!span) return QJsonValue::Null;
    return QJsonObject{{"uri", uri}, {"range", range(*span)}};
}

QJsonArray LspJson::locations(const QString& uri, const std::vector<LineSpan>& spans) const {
    QJsonArray out;
    for (const LineSpan& span : spans)
        out.append(location(uri, span));
    return out;
}

QJsonValue LspJson::renameTarget(const std::optional<RenameTarget>& target) const {
    if (!target) return QJsonValue::Null;
    return QJsonObject{{"range", range(target->span)}, {"placeholder", target->name}};
}

QJsonObject LspJson::workspaceEdit(const QString& uri, const std::vector<TextEdit>& edits) const {
    QJsonArray list;
    for (const TextEdit& edit : edits)
        list.append(QJsonObject{{"range", range(edit.span)}, {"newText", edit.newText}});
    return QJsonObject{{"changes", QJsonObject{{uri, list}}}};
}

QJsonArray LspJson::symbols(const QString& uri, const std::vector<LabelSymbol>& labels,
                            bool hierarchical) const {
    QJsonArray out;
    for (const LabelSymbol& label : labels) {
        const QJsonObject selection = range(label.nameSpan);
        if (!hierarchical) {
            out.append(QJsonObject{{"name", label.name},
                                   {"kind", kSymbolFunction},
                                   {"location", QJsonObject{{"uri", uri}, {"range", selection}}}});
            continue;
        }
        const QJsonObject whole{
            {"start", position(label.nameSpan.line, 0)},
            {"end", position(label.lastLine, int(doc_.line(label.lastLine).size()))},
        };
        out.append(QJsonObject{{"name", label.name},
                               {"detail", label.detail},
                               {"kind", kSymbolFunction},
                               {"range", whole},
                               {"selectionRange", selection}});
    }
    return out;
}

QJsonArray LspJson::semanticTokens(const std::vector<SemanticToken>& tokens) const {
    QJsonArray data;
    int previousLine = 0;
    int previousStart = 0;
    for (const SemanticToken& token : tokens) {
        const int line = token.span.line;
        const int start = character(line, token.span.from);
        const int length =
            unitsOf(doc_.line(line).mid(token.span.from, token.span.to - token.span.from), encoding_);
        data.append(line - previousLine);
        data.append(line == previousLine ? start - previousStart : start);
        data.append(length);
        data.append(static_cast<int>(token.kind));
        data.append(0);
        previousLine = line;
        previousStart = start;
    }
    return data;
}

} // namespace veltra::lsp
