// Characters typed into the control console.

#include "app/TMainForm.h"
#include "console/Console.h"

namespace veltra {

// Every character typed into editConsol passes here before the console gets
// it; Enter arrives as '\r'. Enter never reaches the control: the console
// writes every new line itself.
void TMainForm::editConsolKeyPress(QChar& key) {
    if (key != QChar('\r')) return;
    key = QChar(0);
    if (busy()) return;
    console_->HandleEnter();
}

bool TMainForm::busy() const {
    return sending_ || session_.Busy() || portSteps_ != PortSteps::Done || (console_ && console_->Busy());
}

} // namespace veltra
