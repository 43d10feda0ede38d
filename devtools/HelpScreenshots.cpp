// Takes the screenshots of the help windows shown in the documentation:
//   veltra-help-screenshots docs/screenshots
// Writes help-language.png (the language help with a topic shown),
// help-console.png and about.png.

#include "help/TFormAbout.h"
#include "help/THelpConsolForm.h"
#include "help/THelpForm.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

namespace {

bool shoot(QWidget& window, const QString& path) {
    if (window.grab().save(path)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const QString topic = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("Label4");

    QWidget mainWindow;
    mainWindow.setGeometry(10, 10, 642, 607);
    veltra::THelpForm help(&mainWindow);
    veltra::THelpConsolForm console(&mainWindow);
    veltra::TFormAbout about;
    for (QWidget* window :
         {static_cast<QWidget*>(&help), static_cast<QWidget*>(&console), static_cast<QWidget*>(&about)})
        window->show();
    QApplication::processEvents();
    // As a user would: the topic is clicked once the window is up.
    QMetaObject::invokeMethod(&help, qPrintable(topic + QStringLiteral("Click")));
    QApplication::processEvents();

    const bool ok = shoot(help, dir.filePath(QStringLiteral("help-language.png"))) &&
                    shoot(console, dir.filePath(QStringLiteral("help-console.png"))) &&
                    shoot(about, dir.filePath(QStringLiteral("about.png")));
    return ok ? 0 : 1;
}
