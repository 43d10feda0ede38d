#pragma once
// How veltra-check tells what it found: the editor's status line and the
// words (text), one JSON object per file (json), or compiler-style lines that
// editors and CI annotators pick up (gcc). Everything goes to standard output
// except the text format's reasons for an unreadable file, which go to
// standard error as before.

#include <cstdio>

#include "tools/common/FileCheck.h"

namespace veltra::check {

void printText(const FileCheck& result, std::FILE* out, std::FILE* err);

// {"count":4,"file":"a.txt","line":null,"message":"  >>> без ошибок","ok":true,
//  "status":0,"words":["6301","AEF1","4101","E000"]}; a file that could not
// be checked has "error" with the reason instead of "message", "line" and "words".
void printJson(const FileCheck& result, std::FILE* out);

// FILE:LINE: error: MESSAGE for a failed check, FILE: error: REASON for a file
// that could not be checked, nothing for a file without errors.
void printGcc(const FileCheck& result, std::FILE* out);

} // namespace veltra::check
