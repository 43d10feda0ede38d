#include "files/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "os/UserFiles.h"

namespace veltra {

namespace {

const QString kSettingsName = QStringLiteral("Veltra.ini");

QString& overrideFolder() {
    static QString folder;
    return folder;
}

// Permission checks ask as the files will be opened: with the effective (and
// file-system) user, not the real one that access() would use.
bool allows(const QString& path, int mode) {
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), mode, AT_EACCESS) == 0;
}

// The effective user's login name, or its number when it has none.
QString userName() {
    const uid_t uid = ::geteuid();
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(std::size_t(size > 0 ? size : 4096));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QFile::decodeName(found->pw_name);
    return QString::number(uid);
}

bool folderTakesNewFiles(const QString& folder) {
    return allows(folder, W_OK | X_OK);
}

// Whether the program can keep its settings in `path` as it always has.
bool usableBeside(const QString& path) {
    // A new file can be made there, or the old one replaced by a new one.
    if (folderTakesNewFiles(programFolder())) return true;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) return false;
    // Something else under that name (a folder): the write reports it as it
    // always did, beside the executable.
    if (!S_ISREG(st.st_mode)) return true;
    // Between accesses the file has no write bits, and each access gives them
    // back to its owner: so it is usable if it can be written, or if its mode
    // may be changed. Setting the mode it already has changes nothing.
    return allows(path, W_OK) || ::chmod(name.constData(), st.st_mode & 07777) == 0;
}

} // namespace

QString programFolder() {
    QString folder = overrideFolder().isEmpty() ? QCoreApplication::applicationDirPath() : overrideFolder();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

void setProgramFolder(const QString& folder) {
    overrideFolder() = folder;
}

QString settingsFilePath() {
    const QString beside = programFolder() + kSettingsName;
    if (usableBeside(beside)) return beside;

    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString folder = config + QStringLiteral("/veltra");
    // No config folder either: the file beside the executable still gives its
    // values, and a write names the file that could not be written.
    if (config.isEmpty() || !QDir().mkpath(folder)) return beside;
    const QString own = folder + QLatin1Char('/') + kSettingsName;
    // The copy beside an installed program holds the values its installer
    // chose; the user's own file starts from them, once. QFile::copy writes a
    // temporary file and renames it, so an interrupted copy leaves no file.
    if (!QFile::exists(own) && QFileInfo(beside).isFile()) QFile::copy(beside, own);
    return own;
}

QString stateFolder() {
    // Qt 6.4 has no standard location for state; the variable is read as the
    // XDG rules say, a relative path counting as unset.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base) + QStringLiteral("/veltra/");
}

QString runtimeFolder() {
    // Qt's own choice falls back to the shared temporary folder itself when
    // runtime-USER is another user's, which is the very thing to avoid.
    const QString given = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(given) && ownPrivateFolder(given)) return QDir::cleanPath(given);
    const QString fallback = QDir::tempPath() + QStringLiteral("/runtime-") + userName();
    (void)::mkdir(QFile::encodeName(fallback).constData(), 0700); // or it is there already: checked next
    return ownPrivateFolder(fallback) ? fallback : QString();
}

QString virtualBoardLink() {
    const QString folder = runtimeFolder();
    return folder.isEmpty() ? folder : folder + QStringLiteral("/veltra/virtual-board");
}

QString documentFolder() {
    if (folderTakesNewFiles(programFolder())) return programFolder();
    return QDir::homePath() + QLatin1Char('/');
}

} // namespace veltra
