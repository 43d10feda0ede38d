#include "app/window/HelpWindows.h"

#include <QApplication>

namespace veltra {

void HelpWindows::toggle(bool consoleView) {
    QWidget* help = consoleView ? console_.data() : language_.data();
    if (!help) return;
    if (help->isHidden()) {
        show(help);
    } else {
        help->hide();
    }
}

void HelpWindows::viewSwitched(bool consoleView) {
    QWidget* left = consoleView ? language_.data() : console_.data();
    QWidget* now = consoleView ? console_.data() : language_.data();
    if (!left || !left->isVisible()) return;
    if (now) show(now);
    left->hide();
}

void HelpWindows::hideBoth() {
    if (console_) console_->hide();
    if (language_) language_->hide();
}

void HelpWindows::show(QWidget* help) {
    // The help windows ask not to be activated when shown; a window manager
    // may do it anyway (and Qt's offscreen platform always does), so the
    // window that had the keys takes them back.
    QWidget* typing = QApplication::activeWindow();
    help->show();
    if (typing && typing != help) typing->activateWindow();
}

} // namespace veltra
