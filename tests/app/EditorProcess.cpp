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

#include <QPlainTextEdit>
#include <QTimer>

#include <csignal>
#include <cstdio>

#include <sys/prctl.h>

#include "app/Startup.h"
#include "app/files/ProgramFolder.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "tests/support/ScriptedDialogs.h"

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
            auto* edit = form->findChild<QPlainTextEdit*>(QStringLiteral("edit"));
            edit->textCursor().insertText(text);
            if (!timedCopy) edit->findChild<QTimer*>(QStringLiteral("recoveryCopyTimer"))->stop();
            std::printf("typed\n");
            std::fflush(stdout);
        }
    });
    typist.start();
    return runVeltra();
}
