#include "app/Startup.h"

#include <QFileInfo>
#include <QLockFile>
#include <cstring>
#include <memory>
#include <sys/resource.h>

#include "app/HandOff.h"
#include "app/settings/TFormConfig.h"
#include "app/shell/QtUserDialogs.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "files/ProgramFolder.h"
#include "help/THelpConsolForm.h"
#include "help/THelpForm.h"
#include "os/ShownName.h"
#include "os/StopSignals.h"
#include "os/UserFiles.h"

namespace veltra {

namespace {

// How long a second start tries to reach a running editor that is still
// coming up (its window shown, the file it was started with read).
constexpr int kHandOffBoundMs = 10000;

// The program file the command line names, absolute: the running editor a
// second start hands it to has another working folder. Only the first is
// taken: a menu entry's %f gives one.
QString startFile(const QStringList& arguments) {
    if (arguments.isEmpty()) return QString();
    if (arguments.size() > 1)
        qWarning("veltra: one program file at a time: %s is opened, the rest is not",
                 qUtf8Printable(shownPath(arguments.first())));
    return QFileInfo(arguments.first()).absoluteFilePath();
}

// Why the running editor could not read `file`, as this start sees it; its
// own text when this start can read the file.
QString unreadReason(const QString& file, const QString& editorsText) {
    const FileRead read = readUserFile(file);
    switch (read.outcome) {
    case FileRead::Outcome::Missing:
        return QStringLiteral("no such file");
    case FileRead::Outcome::NotRegular:
        return QStringLiteral("not a regular file");
    case FileRead::Outcome::TooLarge:
        return QStringLiteral("larger than 16 MiB");
    case FileRead::Outcome::Failed:
        return QString::fromLocal8Bit(std::strerror(read.error));
    case FileRead::Outcome::Read:
        break;
    }
    return editorsText;
}

// A second start: the file goes to the running editor, or the user learns
// why it did not, in one box: the running editor's own when it could not
// read the file, else this start's. The exit code: 0 when it was opened.
int handOver(const QString& file) {
    const HandOffAnswer answer = handFileOver(handOffSocketPath(), file, kHandOffBoundMs);
    if (answer.opened) {
        qInfo("veltra: %s is opened in the running editor", qUtf8Printable(shownPath(file)));
        return 0;
    }
    qWarning("veltra: %s is not opened in the running editor: %s", qUtf8Printable(shownPath(file)),
             qUtf8Printable(answer.shownThere ? unreadReason(file, answer.why) : answer.why));
    if (answer.shownThere) return 1;
    userDialogs().beep();
    userDialogs().message(nullptr,
                          QStringLiteral("Редактор уже запущен, и открыть в нём файл\n%1\nне удалось: %2.")
                              .arg(shownPath(file), answer.why),
                          QStringLiteral(" Внимание: "), BoxIcon::Exclamation);
    return 1;
}

// Higher than the default for the whole run, when the system allows it; a
// user without the right simply keeps the normal priority.
void raisePriority() {
    (void)setpriority(PRIO_PROCESS, 0, -10);
}

} // namespace

QString instanceLockPath() {
    const QString folder = runtimeFolder();
    return folder.isEmpty() ? folder : folder + QLatin1Char('/') + kAppTitle + QStringLiteral(".lock");
}

InstanceLock lockInstance(QLockFile& lock) {
    // A lock file that no running process holds (left by a crash, emptied,
    // garbled, or a folder in its place) would keep the user out for ever.
    switch (takeLock(lock)) {
    case QLockFile::NoError:
        return InstanceLock::Taken;
    case QLockFile::LockFailedError:
        return InstanceLock::HeldByAnother;
    default:
        return InstanceLock::Unavailable;
    }
}

int runVeltra(const QStringList& arguments) {
    const QString file = startFile(arguments);
    const QString lockPath = instanceLockPath();
    QLockFile instance(lockPath);
    const InstanceLock lock = lockPath.isEmpty() ? InstanceLock::Unavailable : lockInstance(instance);
    switch (lock) {
    case InstanceLock::Taken:
        break;
    case InstanceLock::HeldByAnother:
        if (!file.isEmpty()) return handOver(file);
        userDialogs().beep();
        userDialogs().message(nullptr, QStringLiteral(" Приложение уже запущено ! "),
                              QStringLiteral(" Внимание: "), BoxIcon::Exclamation);
        return 0;
    case InstanceLock::Unavailable:
        // Saying that another instance runs would be false and keep the user
        // out; a second instance is the smaller harm.
        if (lockPath.isEmpty())
            qWarning(
                "veltra: no runtime folder of this user's own (XDG_RUNTIME_DIR is unset or open to "
                "others, and the one in the temporary folder is another user's or open to others); "
                "starting without the single-instance lock, the hand-off of files and the virtual board");
        else
            qWarning("veltra: cannot create the single-instance lock %s (%s); starting without it",
                     qUtf8Printable(shownPath(lockPath)),
                     instance.error() == QLockFile::PermissionError
                         ? "permission denied"
                         : "its folder is missing or full, or something else stands in its place");
        break;
    }
    raisePriority();

    try {
        auto mainForm = std::make_unique<TMainForm>();
        QObject::connect(mainForm.get(), &TMainForm::closed, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        // Logout, shutdown, kill, Ctrl+C: the window closes as by its close
        // button, so the settings and the unsaved text are written first. A
        // box waiting for its answer is answered as Escape would first: the
        // steps behind it (a port's start, say) would hold the close until
        // the user came back, and a logout kills the program long before.
        StopSignals stopSignals;
        std::string noSignals;
        if (!stopSignals.install(noSignals)) qWarning("veltra: %s", noSignals.c_str());
        QObject::connect(&stopSignals, &StopSignals::stopRequested, mainForm.get(), [&] {
            escapeModalWindows();
            mainForm->close();
        });
        // The other process-wide windows are hidden at first: they are made,
        // in their order, once the main window is on screen, before its port
        // steps begin.
        std::unique_ptr<THelpForm> helpForm;
        std::unique_ptr<TFormConfig> formConfig;
        std::unique_ptr<THelpConsolForm> helpConsolForm;
        HandOffServer handOff([&](const QString& handed) {
            HandOffAnswer answer;
            answer.why = mainForm->openHandedFile(handed, &answer.shownThere);
            answer.opened = answer.why.isEmpty();
            return answer;
        });
        QObject::connect(mainForm.get(), &TMainForm::firstPainted, mainForm.get(), [&] {
            helpForm = std::make_unique<THelpForm>(mainForm.get());
            // Made only for its reading of the settings; never shown.
            formConfig = std::make_unique<TFormConfig>();
            helpConsolForm = std::make_unique<THelpConsolForm>(mainForm.get());
            mainForm->setHelpWindows(helpForm.get(), helpConsolForm.get());
            // The file of the command line, before a text left by a run that
            // ended without saving is offered: restoring that one is the
            // user's last word. Both come before the port's steps begin.
            if (!file.isEmpty()) guarded([&] { mainForm->openProgramFile(file); });
            mainForm->offerRecovery();
            // Files of later starts come from now on; without our own lock,
            // the socket may be another editor's.
            QString why;
            if (lock == InstanceLock::Taken && !handOff.listen(handOffSocketPath(), why))
                qWarning("veltra: a second start cannot hand files to this editor: %s", qUtf8Printable(why));
        });
        qApp->exec();
    } catch (...) {
        reportCurrentException();
    }
    return 0;
}

} // namespace veltra
