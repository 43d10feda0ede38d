#pragma once
// Enter with a pasted block after the prompt. A block of commands, pasted
// from a program or a note, is run line by line as if each had been typed
// on its own prompt, each with its own outcome, and stops at the first line
// that did not go well, so that nothing runs on top of a failed step.

#include <functional>

#include "console/Console.h"

namespace veltra {

class ConsoleText;

// Handles Enter for what was typed after the prompt. One line (the usual
// case) is handled by Console::HandleEnter alone. Several lines: each
// non-blank one, with a '>' put before it where it has none, is put on the
// prompt and handled in turn; lines that are blank or only a '>' are left
// out. The run stops at the first line whose outcome is not " OK" (a
// rejected or unanswered command, a compile error); the lines not run yet
// then stand after the new prompt, to be mended or sent with Enter. Lines
// that print no outcome (an empty command, the clear word) do not stop it.
// It also stops when `stopAsked` says so after a line (the user pressed
// Escape while it ran): a block of thousands of lines would otherwise tie the
// console up for hours. Returns the last line's result.
LineResult runTypedLines(Console& console, ConsoleText& text, const std::function<bool()>& stopAsked = {});

} // namespace veltra
