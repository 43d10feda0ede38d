#pragma once
// How many words a compiled line lays out, read from its record alone: the
// tests' own count, apart from the check's layout, against which the line map
// and the image are measured.

#include "compiler/CmdRecord.h"

namespace veltra::test {

inline unsigned wordsOfLine(const CmdRecord& rec) {
    switch (rec.kind) {
    case CmdKind::Conditional:
        return (rec.prefixWord != 0) + (rec.word != 0);
    case CmdKind::External:
        return rec.word != 0 ? 2 : 0;
    default:
        return rec.word != 0;
    }
}

} // namespace veltra::test
