#include "app/shell/VeltraApplication.h"

#include "app/shell/UserDialogs.h"
#include "files/AppError.h"

namespace veltra {

VeltraApplication::VeltraApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Docks and task bars pair the window with its menu entry: by the entry's
    // name (the Wayland application id, the startup notice) and by the X11
    // window class, which is the application's name, "veltra" however the
    // executable is named; the entry's StartupWMClass says the same.
    setApplicationName(QStringLiteral("veltra"));
    setDesktopFileName(QStringLiteral(VELTRA_APP_ID));
}

bool VeltraApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

void reportCurrentException() {
    try {
        throw;
    } catch (const AppError& e) {
        userDialogs().showError(e.text());
    } catch (const std::exception& e) {
        userDialogs().showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        userDialogs().showError(QStringLiteral("Unknown error"));
    }
}

} // namespace veltra
