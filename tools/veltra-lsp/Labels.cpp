#include "tools/veltra-lsp/Labels.h"

#include "compiler/LanguageWords.h"
#include "tools/veltra-lsp/Features.h"
#include "tools/veltra-lsp/Protocol.h"

namespace veltra::lsp {

namespace {

LineSpan spanOf(const DocumentLabelUse& at) {
    return {at.line, at.use.start, at.use.start + at.use.length};
}

std::optional<DocumentLabelUse> useAt(const Document& doc, TextPoint at) {
    if (at.line >= doc.lineCount()) return std::nullopt;
    return labelUseAt(doc, at.line, at.utf16);
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

std::optional<LineSpan> definition(const Document& doc, TextPoint at) {
    const std::optional<DocumentLabelUse> use = useAt(doc, at);
    if (!use) return std::nullopt;
    const std::optional<DocumentLabelUse> target = labelDefinition(doc, use->use.number);
    if (!target) return std::nullopt;
    return spanOf(*target);
}

std::vector<LineSpan> references(const Document& doc, TextPoint at, bool withDefinition) {
    std::vector<LineSpan> list;
    const std::optional<DocumentLabelUse> use = useAt(doc, at);
    if (!use) return list;
    for (const DocumentLabelUse& other : documentLabelUses(doc))
        if (other.use.number == use->use.number && (withDefinition || !other.use.definition))
            list.push_back(spanOf(other));
    return list;
}

std::optional<RenameTarget> prepareRename(const Document& doc, TextPoint at) {
    const std::optional<DocumentLabelUse> use = useAt(doc, at);
    if (!use) return std::nullopt;
    return RenameTarget{spanOf(*use), labelName(doc, *use)};
}

Renumbering rename(const Document& doc, TextPoint at, const QString& newName) {
    const std::optional<DocumentLabelUse> use = useAt(doc, at);
    if (!use) return {{}, QStringLiteral("здесь нет метки")};
    const int number = labelNumberOfName(newName);
    if (number == 0)
        return {{}, QStringLiteral("«%1» — не метка: нужно метка_1 … метка_15").arg(printable(newName))};
    Renumbering result;
    for (const DocumentLabelUse& other : documentLabelUses(doc)) {
        if (other.use.number == number && number != use->use.number)
            return {{}, QStringLiteral("метка_%1 уже есть (строка %2)").arg(number).arg(other.line + 1)};
        if (other.use.number != use->use.number) continue;
        result.edits.push_back(
            {{other.line, other.use.numberStart, other.use.numberStart + other.use.numberLength},
             QString::number(number)});
    }
    return result;
}

std::vector<LabelSymbol> labelSymbols(const Document& doc) {
    std::vector<DocumentLabelUse> definitions;
    for (const DocumentLabelUse& at : documentLabelUses(doc))
        if (at.use.definition) definitions.push_back(at);

    std::vector<LabelSymbol> symbols;
    for (std::size_t i = 0; i < definitions.size(); ++i) {
        const DocumentLabelUse& at = definitions[i];
        const int last = i + 1 < definitions.size() ? definitions[i + 1].line - 1 : doc.lineCount() - 1;
        symbols.push_back(
            {labelName(doc, at), QStringLiteral("строка %1").arg(at.line + 1), spanOf(at), last});
    }
    return symbols;
}

} // namespace veltra::lsp
