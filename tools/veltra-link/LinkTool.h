#pragma once
// veltra-link's run: the program checked once, every board run on its own
// thread, console lines handed to each board as they come, the results told
// as text (with a table for several boards) or as JSON. Runs in the calling
// thread's event loop, which also hears Ctrl+C.

#include "tools/veltra-link/LinkOptions.h"

namespace veltra::linktool {

// The exit code (LinkOptions.h). Needs a QCoreApplication.
int runLinkTool(const LinkOptions& options);

} // namespace veltra::linktool
