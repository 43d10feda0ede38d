#pragma once
// The application object. An error that escapes an event handler ends up in
// the application's error box, and the program carries on.

#include <QApplication>

namespace veltra {

class VeltraApplication : public QApplication {
  public:
    VeltraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the text of the exception being handled in the error box; for use in
// a catch block at the edge of a handler.
void reportCurrentException();

// Runs `body`; an exception it throws is shown in the error box.
template <typename Body> void guarded(Body&& body) {
    try {
        body();
    } catch (...) {
        reportCurrentException();
    }
}

} // namespace veltra
