#pragma once
// The server's one thread: reads the client's bytes from `in`, hands whole
// messages to the LanguageServer in order, and writes its answers to `out`.
// It blocks in poll() while nothing arrives, so an idle server costs no CPU.
// Once no more input is waiting it publishes the diagnostics of the
// documents changed meanwhile: a burst of edits is checked once, and a single
// edit at once.
//
// It ends on `exit` (0 after `shutdown`, else 1), and, with 1, when the input
// ends, when the output can no longer be written, or when the client's process
// named in `initialize` is gone.

namespace veltra::lsp {

int runServer(int in, int out);

} // namespace veltra::lsp
