#pragma once
// For measurements of the real main window: its own dialogs run for real, but
// nothing answers a question, and a bounded wait that keeps the event pump
// (and so the port's worker) going.

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <functional>

#include "app/shell/UserDialogs.h"

namespace veltra::bench {

class PlainDialogs : public UserDialogs {
  public:
    void beep() override {}
    void showError(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    void message(QWidget*, const QString& text, const QString&, BoxIcon) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool ask(QWidget*, const Question&) override { return false; }
    QString openFileName(QWidget*, const FileDialogSetup&) override { return {}; }
    QString saveFileName(QWidget*, const FileDialogSetup&) override { return {}; }
    int runModal(QDialog& dialog) override { return dialog.exec(); }
};

inline bool waitUntil(const std::function<bool()>& condition, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    return true;
}

} // namespace veltra::bench
