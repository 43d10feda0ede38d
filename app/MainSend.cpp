// The send button and F8: check the program, then upload it.

#include "app/TMainForm.h"

namespace veltra {

void TMainForm::btSendClick() {
    if (consoleMode) return;
    if (checkProgram() != 0) return; // the check has shown its message
    // The upload window hooks in here.
}

} // namespace veltra
