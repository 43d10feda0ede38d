#include <algorithm>

#include "tools/veltra-lsp/Features.h"

namespace veltra::lsp {

std::vector<SemanticToken> semanticTokens(const Document& doc, int first, int last) {
    std::vector<SemanticToken> tokens;
    last = std::min(last, doc.lineCount() - 1);
    for (int line = std::max(first, 0); line <= last; ++line)
        for (const Token& token : programTokens(doc.lineText(line)))
            tokens.push_back({{line, token.start, token.start + token.length}, token.kind});
    return tokens;
}

} // namespace veltra::lsp
