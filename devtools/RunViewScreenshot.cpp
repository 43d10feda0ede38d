// Takes a picture of the editor and the run view paused at a breakpoint, for
// the documentation (offscreen, or under an X server):
//   QT_QPA_PLATFORM=offscreen veltra-run-screenshot PROGRAM LINE OUT.png
// The program file (Windows-1251) opens in the real main window, with its
// settings in a temporary folder and COM1 on a pseudo-terminal nobody
// answers; a breakpoint goes on LINE, F5 runs it, and the run's clock is
// driven until the breakpoint stops it. Both windows go side by side into
// one picture, each under a bar with its title.

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <pty.h>
#include <unistd.h>

#include "app/run/RunDesk.h"
#include "app/run/RunSession.h"
#include "app/run/RunWindow.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "files/ProgramFolder.h"
#include "files/ProgramText.h"

int main(int argc, char** argv) {
    veltra::VeltraApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: veltra-run-screenshot PROGRAM LINE OUT.png\n");
        return 64;
    }
    const QString programPath = QString::fromLocal8Bit(argv[1]);
    const int line = QByteArray(argv[2]).toInt();
    const auto program = veltra::tryReadProgramFile(programPath);
    if (!program || line < 1) {
        std::fprintf(stderr, "cannot read the program, or no line\n");
        return 1;
    }
    QTemporaryDir folder;
    int master = -1;
    int slave = -1;
    char slaveName[256] = {};
    if (!folder.isValid() || openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) return 1;
    ::close(slave);
    QFile ini(folder.filePath(QStringLiteral("Veltra.ini")));
    if (!ini.open(QIODevice::WriteOnly)) return 1;
    ini.write(QByteArray("[PORTS]\nCOM1=") + slaveName + "\n");
    ini.close();
    veltra::setProgramFolder(folder.path());
    qputenv("XDG_STATE_HOME", QFile::encodeName(folder.path()));

    veltra::TMainForm form;
    while (form.isStarting())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    form.setProgramText(program->text, QFileInfo(programPath).fileName());
    veltra::RunDesk& run = form.run();
    run.toggleBreakpoint(line);
    run.runOrContinue();
    for (int ms = 0; ms < 60'000 && run.session().phase() == veltra::RunSession::Phase::Running; ms += 10)
        run.session().advance(std::chrono::milliseconds(10));
    if (run.session().phase() != veltra::RunSession::Phase::Paused) {
        std::fprintf(stderr, "the run did not stop at line %d within a minute of board time\n", line);
        return 1;
    }
    run.showNow();
    QCoreApplication::processEvents();

    // Offscreen windows have no frames: each gets a bar with its title.
    constexpr int kTitle = 26;
    constexpr int kGap = 12;
    const QPixmap editor = form.grab();
    const QPixmap view = run.window().grab();
    QPixmap both(editor.width() + kGap + view.width(), kTitle + std::max(editor.height(), view.height()));
    both.fill(QColor(0x3c, 0x3c, 0x3c));
    QPainter painter(&both);
    const auto framed = [&](int x, const QPixmap& picture, const QString& title) {
        painter.fillRect(x, 0, picture.width(), kTitle, QColor(0x4a, 0x6e, 0xa8));
        painter.setPen(Qt::white);
        painter.drawText(QRect(x, 0, picture.width(), kTitle), Qt::AlignCenter, title);
        painter.drawPixmap(x, kTitle, picture);
    };
    framed(0, editor, form.windowTitle());
    framed(editor.width() + kGap, view, run.window().windowTitle());
    painter.end();
    form.close();
    ::close(master);
    veltra::setProgramFolder(QString());
    if (both.save(QString::fromLocal8Bit(argv[3]))) return 0;
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 1;
}
