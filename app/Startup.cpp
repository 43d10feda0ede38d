#include "app/Startup.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <memory>
#include <sys/resource.h>

#include "app/settings/TFormConfig.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "help/THelpConsolForm.h"
#include "help/THelpForm.h"
#include "os/ShownName.h"
#include "os/StopSignals.h"
#include "os/UserFiles.h"

namespace veltra {

namespace {

// Higher than the default for the whole run, when the system allows it; a
// user without the right simply keeps the normal priority.
void raisePriority() {
    (void)setpriority(PRIO_PROCESS, 0, -10);
}

} // namespace

QString instanceLockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder + QLatin1Char('/') + kAppTitle + QStringLiteral(".lock");
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

int runVeltra() {
    QLockFile instance(instanceLockPath());
    switch (lockInstance(instance)) {
    case InstanceLock::Taken:
        break;
    case InstanceLock::HeldByAnother:
        userDialogs().beep();
        userDialogs().message(nullptr, QStringLiteral(" Приложение уже запущено ! "),
                              QStringLiteral(" Внимание: "), BoxIcon::Exclamation);
        return 0;
    case InstanceLock::Unavailable:
        // Saying that another instance runs would be false and keep the user
        // out; a second instance is the smaller harm.
        qWarning("veltra: cannot create the single-instance lock %s (%s); starting without it",
                 qUtf8Printable(shownPath(instanceLockPath())),
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
        // button, so the settings and the unsaved text are written first.
        StopSignals stopSignals;
        std::string noSignals;
        if (!stopSignals.install(noSignals)) qWarning("veltra: %s", noSignals.c_str());
        QObject::connect(&stopSignals, &StopSignals::stopRequested, mainForm.get(), &QWidget::close);
        // The other process-wide windows are hidden at first: they are made,
        // in their order, once the main window is on screen, before its port
        // steps begin.
        std::unique_ptr<THelpForm> helpForm;
        std::unique_ptr<TFormConfig> formConfig;
        std::unique_ptr<THelpConsolForm> helpConsolForm;
        QObject::connect(mainForm.get(), &TMainForm::firstPainted, mainForm.get(), [&] {
            helpForm = std::make_unique<THelpForm>(mainForm.get());
            // Made only for its reading of the settings; never shown.
            formConfig = std::make_unique<TFormConfig>();
            helpConsolForm = std::make_unique<THelpConsolForm>(mainForm.get());
            mainForm->setHelpWindows(helpForm.get(), helpConsolForm.get());
            // A text left by a run that ended without saving is offered now,
            // before the port's steps begin.
            mainForm->offerRecovery();
        });
        qApp->exec();
    } catch (...) {
        reportCurrentException();
    }
    return 0;
}

} // namespace veltra
