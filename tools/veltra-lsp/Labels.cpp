#include "tools/veltra-lsp/Labels.h"

#include "compiler/LanguageWords.h"
#include "tools/veltra-lsp/Features.h"

namespace veltra::lsp {

namespace {

constexpr int kSymbolFunction = 12;

QJsonObject location(const Document& doc, const QString& uri, const DocumentLabelUse& at,
                     PositionEncoding encoding) {
    return QJsonObject{{"uri", uri},
                       {"range", lineRange(doc, at.line, at.use.start, at.use.start + at.use.length, encoding)}};
}

std::optional<DocumentLabelUse> useAtPosition(const Document& doc, Position at, PositionEncoding encoding) {
    if (at.line >= doc.lineCount()) return std::nullopt;
    return labelUseAt(doc, at.line, utf16Index(doc.line(at.line), at.character, encoding));
}

QString labelName(const Document& doc, const DocumentLabelUse& at) {
    return doc.line(at.line).mid(at.use.start, at.use.length).toString();
}

} // namespace

std::vector<DocumentLabelUse> documentLabelUses(const Document& doc) {
    std::vector<DocumentLabelUse> uses;
    for (int line = 0; line < doc.lineCount(); ++line) {
        const QStringView text = doc.line(line);
        // Only a line with a label word can name one; most lines have none.
        static const QString kWords[] = {QString::fromStdU32String(std::u32string(lang::kLabelWords[0])),
                                         QString::fromStdU32String(std::u32string(lang::kLabelWords[1]))};
        if (!text.contains(kWords[0]) && !text.contains(kWords[1])) continue;
        for (const LabelUse& use : labelUses(text.toString()))
            uses.push_back({line, use});
    }
    return uses;
}

std::optional<DocumentLabelUse> labelUseAt(const Document& doc, int line, int utf16) {
    for (const LabelUse& use : labelUses(doc.lineText(line)))
        if (utf16 >= use.start && utf16 <= use.start + use.length) return DocumentLabelUse{line, use};
    return std::nullopt;
}

std::optional<DocumentLabelUse> labelDefinition(const Document& doc, int number) {
    for (const DocumentLabelUse& at : documentLabelUses(doc))
        if (at.use.definition && at.use.number == number) return at;
    return std::nullopt;
}

QJsonValue definition(const Document& doc, const QString& uri, Position at, PositionEncoding encoding) {
    const std::optional<DocumentLabelUse> use = useAtPosition(doc, at, encoding);
    if (!use) return QJsonValue::Null;
    const std::optional<DocumentLabelUse> target = labelDefinition(doc, use->use.number);
    if (!target) return QJsonValue::Null;
    return location(doc, uri, *target, encoding);
}

QJsonArray references(const Document& doc, const QString& uri, Position at, bool withDefinition,
                      PositionEncoding encoding) {
    QJsonArray list;
    const std::optional<DocumentLabelUse> use = useAtPosition(doc, at, encoding);
    if (!use) return list;
    for (const DocumentLabelUse& other : documentLabelUses(doc))
        if (other.use.number == use->use.number && (withDefinition || !other.use.definition))
            list.append(location(doc, uri, other, encoding));
    return list;
}

QJsonValue prepareRename(const Document& doc, Position at, PositionEncoding encoding) {
    const std::optional<DocumentLabelUse> use = useAtPosition(doc, at, encoding);
    if (!use) return QJsonValue::Null;
    return QJsonObject{
        {"range", lineRange(doc, use->line, use->use.start, use->use.start + use->use.length, encoding)},
        {"placeholder", labelName(doc, *use)},
    };
}

QJsonObject rename(const Document& doc, const QString& uri, Position at, const QString& newName,
                   PositionEncoding encoding) {
    const std::optional<DocumentLabelUse> use = useAtPosition(doc, at, encoding);
    if (!use) throw RpcError{error::kRequestFailed, QStringLiteral("здесь нет метки")};
    const int number = labelNumberOfName(newName);
    if (number == 0)
        throw RpcError{error::kRequestFailed,
                       QStringLiteral("«%1» — не метка: нужно метка_1 … метка_15").arg(printable(newName))};
    const std::vector<DocumentLabelUse> uses = documentLabelUses(doc);
    QJsonArray edits;
    for (const DocumentLabelUse& other : uses) {
        if (other.use.number == number && number != use->use.number)
            throw RpcError{error::kRequestFailed,
                           QStringLiteral("метка_%1 уже есть (строка %2)").arg(number).arg(other.line + 1)};
        if (other.use.number != use->use.number) continue;
        edits.append(QJsonObject{
            {"range", lineRange(doc, other.line, other.use.numberStart,
                                other.use.numberStart + other.use.numberLength, encoding)},
            {"newText", QString::number(number)},
        });
    }
    return QJsonObject{{"changes", QJsonObject{{uri, edits}}}};
}

QJsonArray documentSymbols(const Document& doc, const QString& uri, bool hierarchical, PositionEncoding encoding) {
    std::vector<DocumentLabelUse> definitions;
    for (const DocumentLabelUse& at : documentLabelUses(doc))
        if (at.use.definition) definitions.push_back(at);

    QJsonArray symbols;
    for (std::size_t i = 0; i < definitions.size(); ++i) {
        const DocumentLabelUse& at = definitions[i];
        const QJsonObject selection = lineRange(doc, at.line, at.use.start, at.use.start + at.use.length, encoding);
        if (!hierarchical) {
            symbols.append(QJsonObject{{"name", labelName(doc, at)},
                                       {"kind", kSymbolFunction},
                                       {"location", QJsonObject{{"uri", uri}, {"range", selection}}}});
            continue;
        }
        // A label's part of the program runs up to the next label.
        const int last = i + 1 < definitions.size() ? definitions[i + 1].line - 1 : doc.lineCount() - 1;
        const QJsonObject whole{
            {"start", QJsonObject{{"line", at.line}, {"character", 0}}},
            {"end", QJsonObject{{"line", last}, {"character", characterOf(doc, last, int(doc.line(last).size()), encoding)}}},
        };
        symbols.append(QJsonObject{{"name", labelName(doc, at)},
                                   {"detail", QStringLiteral("строка %1").arg(at.line + 1)},
                                   {"kind", kSymbolFunction},
                                   {"range", whole},
                                   {"selectionRange", selection}});
    }
    return symbols;
}

} // namespace veltra::lsp
