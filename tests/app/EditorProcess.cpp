// A real editor in a process of its own, for tests of what editors running
// side by side do to each other and of how the program ends: the program's
// own start (runVeltra), its settings in PROGRAM_FOLDER, its state and
// runtime folders from the environment, its questions answered by a script.
//
//   editor_process PROGRAM_FOLDER [TEXT [--no-timed-copy]]
//
// Once the window is up it types TEXT into the editor (if given) and prints
// "typed"; every question it is asked is printed as "asked: " and the
// question's first line. Questions get their default answer. With
// --no-timed-copy the recovery copy's timer is stopped once TEXT is typed,
// so that only the closing can write the copy.
//
// With EDITOR_PROCESS_REAL_BOXES set in its environment, the real message
// boxes come up and wait instead: when the first one shows, it types TEXT
// behind it and prints "box: " and the box's first line.

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <functional>
#include <utility>

#include <sys/prctl.h>

#include "app/Startup.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "files/ProgramFolder.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

// The first message box shown, as it shows.
class BoxWatch : public QObject {
  public:
    explicit BoxWatch(std::function<void(QMessageBox&)> shown) : shown_(std::move(shown)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && shown_)
            if (auto* box = qobject_cast<QMessageBox*>(watched)) std::exchange(shown_, nullptr)(*box);
        return false;
    }

  private:
    std::function<void(QMessageBox&)> shown_;
};

} // namespace

int main(int argc, char** argv) {
    using namespace veltra;
    // A test binary that dies (a crash, ctest's timeout) must not leave its
    // editors running: they would hold their locks and cores for good.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    VeltraApplication app(argc, argv);
    if (argc < 2) return 64;
    setProgramFolder(QString::fromLocal8Bit(argv[1]));
    const QString text = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool timedCopy = !(argc > 3 && qstrcmp(argv[3], "--no-timed-copy") == 0);

    auto typeInto = [&text](TMainForm& form) {
        form.findChild<QPlainTextEdit*>(QStringLiteral("edit"))->textCursor().insertText(text);
    };
    if (qEnvironmentVariableIsSet("EDITOR_PROCESS_REAL_BOXES")) {
        BoxWatch watch([&](QMessageBox& box) {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* form = qobject_cast<TMainForm*>(widget)) typeInto(*form);
            std::printf("box: %s\n", qUtf8Printable(box.text().section(QLatin1Char('\n'), 0, 0)));
            std::fflush(stdout);
        });
        app.installEventFilter(&watch);
        return runVeltra();
    }

    test::ScriptedDialogs dialogs;
    dialogs.onCall = [](const test::DialogCall& call) {
        if (call.kind != test::DialogCall::Question) return;
        std::printf("asked: %s\n", qUtf8Printable(call.text.section(QLatin1Char('\n'), 0, 0)));
        std::fflush(stdout);
    };
    QTimer typist;
    typist.setInterval(20);
    QObject::connect(&typist, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<TMainForm*>(widget);
            if (!form || !form->isVisible() || form->isStarting()) continue;
            typist.stop();
            if (text.isEmpty()) return;
            typeInto(*form);
            if (!timedCopy)
                form->findChild<QPlainTextEdit*>(QStringLiteral("edit"))
                    ->findChild<QTimer*>(QStringLiteral("recoveryCopyTimer"))
                    ->stop();
            std::printf("typed\n");
            std::fflush(stdout);
        }
    });
    typist.start();
    return runVeltra();
}
