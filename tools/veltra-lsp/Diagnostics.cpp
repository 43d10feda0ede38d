#include "compiler/ProgramCheck.h"
#include "tools/veltra-lsp/Features.h"

namespace veltra::lsp {

std::vector<Diagnostic> diagnostics(const Document& doc) {
    std::vector<Diagnostic> list;
    for (const CheckReport& error : findProgramErrors(doc.checkLines())) {
        if (int(list.size()) == kMaxDiagnostics) break;
        const int line = error.line - 1;
        list.push_back({{line, 0, int(doc.line(line).size())}, QString::fromStdString(error.message)});
    }
    return list;
}

} // namespace veltra::lsp
