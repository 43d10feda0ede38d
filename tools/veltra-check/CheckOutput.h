#pragma once
// How veltra-check tells what it found: the editor's status line and the
// words (text), one JSON object per file (json), or compiler-style lines that
// editors and CI annotators pick up (gcc). Everything goes to standard output
// except the text format's reasons for an unreadable file, which go to
// standard error as before.

#include <cstdio>

#include "files/FileCheck.h"

namespace veltra::check {

void printText(const FileCheck& result, std::FILE* out, std::FILE* err);

// The compiled program as an assembler listing, one line per word: its
// index, the word in hex, its source line and (at the line's first word) the
// line's text, escaped:
//      3  6301     5  если кн_1==вкл тогда свд=к
//      4  AEF1     5
// A failed check prints its message alone, as printText does.
void printListing(const FileCheck& result, std::FILE* out, std::FILE* err);

// {"count":4,"file":"a.txt","line":null,"message":"  >>> без ошибок","ok":true,
//  "status":0,"words":["6301","AEF1","4101","E000"]}; a file that could not
// be checked has "error" with the reason instead of "message", "line" and "words".
// With `listing`, a checked file also has "listing": [{"index":0,"line":3,"word":"AEF8"}, ...].
void printJson(const FileCheck& result, std::FILE* out, bool listing = false);

// FILE:LINE: error: MESSAGE for a failed check, FILE: error: REASON for a file
// that could not be checked, nothing for a file without errors.
void printGcc(const FileCheck& result, std::FILE* out);

} // namespace veltra::check
