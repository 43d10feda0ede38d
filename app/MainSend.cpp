// The send button and F8: check the program, then upload it.

#include "app/TMainForm.h"

namespace veltra {

void TMainForm::btSendClick() {
    if (consoleMode) return;
    // The upload window hooks in here.
}

} // namespace veltra
