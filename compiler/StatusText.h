#pragma once
// The Russian texts that the program check and the console show for a status.

#include "compiler/CmdRecord.h"

namespace veltra {

// UTF-8; empty for Ok and Skip, which show no message.
const char* statusText(CmdStatus status);

} // namespace veltra
