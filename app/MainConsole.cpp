// Characters typed into the control console.

#include "app/TMainForm.h"

namespace veltra {

// Every character typed into editConsol passes here before the console gets
// it; Enter arrives as '\r'. Setting `key` to 0 consumes it, another value
// types that character instead.
void TMainForm::editConsolKeyPress(QChar& key) {
    (void)key; // The console procedures hook in here.
}

} // namespace veltra
