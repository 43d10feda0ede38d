#include "app/shell/FileDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>

namespace veltra {

namespace {

bool inSystemTree(const QString& folder) {
    static const QString trees[] = {QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev")};
    for (const QString& tree : trees) {
        if (folder == tree || folder.startsWith(tree + QLatin1Char('/'))) return true;
    }
    return false;
}

} // namespace

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    return QFileIconProvider::icon(info.isDir() ? Folder : File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    QMimeDatabase mime;
    if (info.isDir()) return mime.mimeTypeForName(QStringLiteral("inode/directory")).comment();
    return mime.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
}

ProgramFileDialog::ProgramFileDialog(QWidget* parent, const FileDialogSetup& setup, AcceptMode mode)
    : QFileDialog(parent, setup.title, setup.folder, setup.filter) {
    // One provider for every dialog; the model keeps a pointer to it until
    // the dialog is gone.
    static NameOnlyIconProvider icons;
    setIconProvider(&icons);
    setAcceptMode(mode);
    setFileMode(AnyFile); // both accept a name that does not exist yet
    setDefaultSuffix(setup.defaultSuffix);
    selectNameFilter(setup.filter);
    if (!setup.fileName.isEmpty()) selectFile(setup.fileName);
}

QString dialogStartFolder(const QString& path, const QString& fallback) {
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    // A link such as /dev/fd leads into /proc: look at where it really goes.
    const QString real = QFileInfo(folder).canonicalFilePath();
    if (inSystemTree(QDir::cleanPath(folder)) || (!real.isEmpty() && inSystemTree(real)))
        return QDir::cleanPath(fallback);
    return folder;
}

} // namespace veltra
