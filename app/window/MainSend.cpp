// The send button and F8: check the program, then upload it.

#include <QDialog>

#include "app/shell/UserDialogs.h"
#include "app/window/TMainForm.h"
#include "link/TFormLink.h"

namespace veltra {

void TMainForm::btSendClick() {
    if (state_.consoleMode) return;
    if (checkProgram() != 0) return; // the check has shown its message
    if (!program_.ready()) {
        userDialogs().beep();
        userDialogs().message(this, QStringLiteral("Проверь программу и повтори загрузку!"), QString(),
                              BoxIcon::Stop);
        return;
    }
    if (!session_.link().LinkAlive()) {
        userDialogs().beep();
        userDialogs().message(this, QStringLiteral("Проверь связь с платой и повтори загрузку!"), QString(),
                              BoxIcon::Stop);
        return;
    }
    setMessage(QStringLiteral("загрузка программы..."), QColor(0, 0, 255));
    // The upload sends what this check produced, copied now; an edit detected
    // during its waits invalidates the compiled program (so the next upload
    // checks again), not this copy.
    TFormLink upload(session_, program_.image(), this);
    const int result = userDialogs().runModal(upload);
    if (isClosing()) return;
    if (result == QDialog::Accepted) {
        setMessage(QStringLiteral("загрузка программы...ОК"), QColor(0, 128, 0));
    } else {
        setMessage(QStringLiteral("загрузка программы...ОШИБКА"), QColor(255, 0, 0));
    }
}

} // namespace veltra
