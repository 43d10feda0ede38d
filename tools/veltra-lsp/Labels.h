#pragma once
// The labels of a whole document: every place a line names one.

#include <optional>
#include <vector>

#include "language/LabelUses.h"
#include "tools/veltra-lsp/Document.h"

namespace veltra::lsp {

struct DocumentLabelUse {
    int line = 0;
    LabelUse use;
};

std::vector<DocumentLabelUse> documentLabelUses(const Document& doc);

// The label word under or just before the UTF-16 index `utf16` of `line`.
std::optional<DocumentLabelUse> labelUseAt(const Document& doc, int line, int utf16);

// The line that defines label `number` for the check: the first one.
std::optional<DocumentLabelUse> labelDefinition(const Document& doc, int number);

} // namespace veltra::lsp
