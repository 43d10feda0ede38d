#include "app/shell/VeltraApplication.h"

#include "app/shell/AppError.h"
#include "app/shell/UserDialogs.h"

namespace veltra {

VeltraApplication::VeltraApplication(int& argc, char** argv) : QApplication(argc, argv) {}

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
