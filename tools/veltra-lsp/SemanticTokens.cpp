#include "language/ProgramTokens.h"
#include "tools/veltra-lsp/Features.h"

namespace veltra::lsp {

QJsonArray semanticTokenTypes() {
    // In the order of TokenKind: keyword, object, parameter word, number,
    // label, comment. Labels are jump targets, the nearest of the protocol's
    // standard types is a function.
    return {"keyword", "variable", "enumMember", "number", "function", "comment"};
}

QJsonArray semanticTokens(const Document& doc, int first, int last, PositionEncoding encoding) {
    QJsonArray data;
    int previousLine = 0;
    int previousStart = 0;
    last = std::min(last, doc.lineCount() - 1);
    for (int line = std::max(first, 0); line <= last; ++line) {
        const QString text = doc.lineText(line);
        for (const Token& token : programTokens(text)) {
            const int start = characterOf(doc, line, token.start, encoding);
            const int length = unitsOf(QStringView(text).mid(token.start, token.length), encoding);
            data.append(line - previousLine);
            data.append(line == previousLine ? start - previousStart : start);
            data.append(length);
            data.append(static_cast<int>(token.kind));
            data.append(0);
            previousLine = line;
            previousStart = start;
        }
    }
    return data;
}

} // namespace veltra::lsp
