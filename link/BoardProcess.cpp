#include "link/BoardProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopedValueRollback>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>

#include "link/WaitTurns.h"
#include "os/ShownName.h"
#include "os/UserFiles.h"

namespace veltra {

namespace {

const QString kProgram = QStringLiteral("veltra-board");
// A sanitized build on a loaded machine needs about a second to show the
// board's window; a board that takes longer has failed.
constexpr int kStartBoundMs = 10000;
constexpr int kTurnMs = 20;
// It stops on SIGTERM at once (its event loop ends, the link goes).
constexpr int kStopBoundMs = 3000;
// Enough for the lines that say why it ended.
constexpr qsizetype kLogTailBytes = 2048;

} // namespace

BoardProcess::BoardProcess(WaitTurns& turns, QObject* parent) : QObject(parent), turns_(turns) {}

BoardProcess::~BoardProcess() {
    // No event pump in a destructor: the owner is half gone. A board still
    // running here (the window was never closed) is ended at once.
    if (!process_) return;
    process_->disconnect(this);
    if (running()) {
        process_->kill();
        process_->waitForFinished(kStopBoundMs);
    }
    removeLink();
}

void BoardProcess::removeLink() {
    // Killed, the board could not remove its link: a link left here would
    // pass for a board that runs. Only our own board's: once it has gone,
    // a board started by hand on the same path is left alone.
    if (QFileInfo(link_).isSymLink()) QFile::remove(link_);
    link_.clear();
}

QString BoardProcess::findBoardProgram(const QString& programDir) {
    const QFileInfo beside(QDir(programDir).filePath(kProgram));
    if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(kProgram);
}

qint64 BoardProcess::processId() const {
    return running() ? process_->processId() : 0;
}

bool BoardProcess::running() const {
    return process_ && process_->state() != QProcess::NotRunning;
}

QString BoardProcess::failure(const QString& what) const {
    // The board's own last line says why (a display missing, the link's folder).
    const QByteArrayList lines = logTail_.trimmed().split('\n');
    const QByteArray last = lines.isEmpty() ? QByteArray() : lines.last().trimmed();
    return last.isEmpty() ? what : what + QStringLiteral(": ") + shownName(last);
}

QString BoardProcess::start(const QString& link, int editorWidth) {
    if (changing_) return QString();
    stop();
    const QString program = findBoardProgram(QCoreApplication::applicationDirPath());
    if (program.isEmpty())
        return QStringLiteral(
                   "виртуальная плата не запущена: программы %1 нет ни рядом с редактором, ни в PATH")
            .arg(kProgram);
    if (!makeStateFolder(QFileInfo(link).absolutePath()))
        return QStringLiteral("виртуальная плата не запущена: нельзя создать папку ") +
               shownPath(QFileInfo(link).absolutePath());

    link_ = link;
    logTail_.clear();
    process_ = new QProcess(this);
    // A killed or crashed editor takes its board along.
    process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    connect(process_, &QProcess::readyReadStandardError, this, [this] {
        logTail_ += process_->readAllStandardError();
        if (logTail_.size() > kLogTailBytes) logTail_ = logTail_.right(kLogTailBytes);
    });
    process_->start(program, {QStringLiteral("--link"), link, QStringLiteral("--view"),
                              QStringLiteral("--beside"), QString::number(editorWidth)});
    // Its first line, the pseudo-terminal's name, comes once the link is made.
    {
        const QScopedValueRollback waiting(changing_, true);
        for (int waited = 0; waited < kStartBoundMs && !turns_.Aborted(); waited += kTurnMs) {
            if (process_->canReadLine() || process_->state() == QProcess::NotRunning) break;
            turns_.Turn(kTurnMs);
        }
    }
    if (turns_.Aborted()) return QStringLiteral("виртуальная плата не запущена: редактор закрывается");
    if (process_->canReadLine()) return QString();
    logTail_ += process_->readAllStandardError();
    const QString why =
        failure(process_->state() == QProcess::NotRunning
                    ? QStringLiteral("виртуальная плата не запустилась")
                    : QStringLiteral("виртуальная плата не ответила за %1 с").arg(kStartBoundMs / 1000));
    stop();
    return why;
}

void BoardProcess::stop() {
    if (!process_ || changing_) return;
    const QScopedValueRollback stopping(changing_, true);
    QProcess* process = process_;
    process_ = nullptr;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        // Turns never cut short, also while the editor closes.
        PlainTurns turns;
        for (int waited = 0; waited < kStopBoundMs && process->state() != QProcess::NotRunning;
             waited += kTurnMs)
            turns.Turn(kTurnMs);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(kStopBoundMs);
        }
    }
    removeLink();
    delete process;
}

} // namespace veltra
