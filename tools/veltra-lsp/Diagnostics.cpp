#include "compiler/ProgramCheck.h"
#include "tools/veltra-lsp/Features.h"

namespace veltra::lsp {

QJsonArray diagnostics(const Document& doc, PositionEncoding encoding) {
    QJsonArray list;
    for (const CheckReport& error : findProgramErrors(doc.checkLines())) {
        if (list.size() == kMaxDiagnostics) break;
        const int line = error.line - 1;
        list.append(QJsonObject{
            {"range", lineRange(doc, line, 0, int(doc.line(line).size()), encoding)},
            {"severity", 1},
            {"source", "veltra"},
            {"message", QString::fromStdString(error.message)},
        });
    }
    return list;
}

} // namespace veltra::lsp
