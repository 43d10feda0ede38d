#include "app/editor/RecoveryCopy.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <utility>

#include "app/editor/EditorText.h"
#include "app/editor/TextLoader.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/WorkBeside.h"
#include "os/ShownName.h"
#include "os/UserFiles.h"

namespace veltra {

namespace {

// An editor's copy, "recovery-ID.txt"; "recovery.txt" is the one copy of
// versions that ran alone.
const QRegularExpression kCopyName(QStringLiteral("^recovery(-[0-9a-f]{16})?\\.txt$"));

QString lockOf(const QString& copy) {
    return copy.chopped(4) + QStringLiteral(".lock");
}

// Leftovers that were offered but could not be moved aside (a folder that
// takes no files), by their text's hash, so that they are not offered at
// every start. Kept in the cache folder: losing it costs one more question.
QString offeredListPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/veltra/offered-recovery");
}

constexpr int kOfferedKept = 32;

QByteArrayList offeredHashes() {
    const FileRead list = readUserFile(offeredListPath(), 64 * 1024);
    return list.outcome == FileRead::Outcome::Read ? list.bytes.split('\n') : QByteArrayList();
}

QByteArray hashOf(const QString& text) {
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex();
}

void rememberOffered(const QString& text) {
    QByteArrayList hashes = offeredHashes();
    hashes.removeAll(QByteArray());
    hashes.append(hashOf(text));
    while (hashes.size() > kOfferedKept)
        hashes.removeFirst();
    const QString list = offeredListPath();
    if (makeStateFolder(QFileInfo(list).absolutePath())) writeStateFile(list, hashes.join('\n') + '\n');
}

} // namespace

RecoveryCopy::RecoveryCopy(QPlainTextEdit& edit, const QString& folder)
    : QObject(&edit), edit_(edit), folder_(folder),
      id_(QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'))),
      lock_(QDir(folder).filePath(QStringLiteral("recovery-%1.lock").arg(id_))),
      stored_(wholeText(*edit.document())) {
    // A child by its name, as the window's own timer, for tests that hold it.
    timer_.setParent(this);
    timer_.setObjectName(QStringLiteral("recoveryCopyTimer"));
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &RecoveryCopy::sync);
    connect(edit.document(), &QTextDocument::contentsChange, &timer_, qOverload<>(&QTimer::start));
    // While a long text goes in or out, the copy keeps the text from before
    // (brought up to date first): the editor's is neither that nor the new one.
    connect(&TextLoader::of(edit), &TextLoader::aboutToReplace, this, &RecoveryCopy::sync);
    folderMade_ = makeStateFolder(folder_);
}

RecoveryCopy::~RecoveryCopy() = default; // the lock goes: a copy left now is a leftover

QString RecoveryCopy::path() const {
    return QDir(folder_).filePath(QStringLiteral("recovery-%1.txt").arg(id_));
}

QString RecoveryCopy::declinedPath() const {
    return QDir(folder_).filePath(QStringLiteral("recovery-declined.txt"));
}

bool RecoveryCopy::kept() {
    // The lock says "this editor lives": its copy is nobody's leftover. It is
    // taken when first needed (the offer at start, the first copy), not when
    // the editor is made: a lock file is flushed to the disk, which would hold
    // up the window's first paint. A lock that could not be made (a full
    // disk) is tried again at the next need, so the copies resume with room.
    if (!lock_.isLocked() && folderMade_) takeLock(lock_);
    return lock_.isLocked();
}

void RecoveryCopy::textStored() {
    timer_.stop();
    stored_ = wholeText(*edit_.document());
    dropCopy();
}

bool RecoveryCopy::isStored(const QString& text) const {
    return text == stored_;
}

void RecoveryCopy::dropCopy() {
    if (!written_.isNull()) QFile::remove(path());
    written_ = QString();
    dropRestoredLeftover();
}

void RecoveryCopy::flush() {
    sync();
}

bool RecoveryCopy::sync() {
    timer_.stop();
    if (TextLoader::of(edit_).busy()) return true; // its last slice starts the timer again
    const QString text = wholeText(*edit_.document());
    if (text == stored_) {
        dropCopy();
        return true;
    }
    if (text != written_) {
        failure_ = QStringLiteral("its folder takes no files");
        if (!kept() || !writeStateFile(path(), text.toUtf8(), &failure_)) {
            // The copy is a safety net the user did not ask for: a box every
            // second would be worse than its absence. Said once on standard
            // error (and at start, when the folder took no lock).
            if (!warned_)
                qWarning("veltra: no recovery copy %s: %s", qUtf8Printable(shownPath(path())),
                         qUtf8Printable(failure_));
            warned_ = true;
            return false;
        }
        written_ = text;
    }
    dropRestoredLeftover();
    return true;
}

void RecoveryCopy::dropRestoredLeftover() {
    // Only once the new name of the copy is on disk too: a crash in between
    // would otherwise leave neither file.
    if (restoredFrom_.isEmpty() || !syncFolder(folder_)) return;
    QFile::remove(restoredFrom_);
    restoredFrom_.clear();
}

std::vector<RecoveryCopy::Leftover> RecoveryCopy::leftovers() const {
    QFileInfoList entries = QDir(folder_).entryInfoList(QDir::Files | QDir::System | QDir::Hidden, QDir::Time);
    std::vector<Leftover> found;
    for (const QFileInfo& entry : entries) {
        const QString copy = entry.absoluteFilePath();
        if (!kCopyName.match(entry.fileName()).hasMatch() || copy == path()) continue;
        if (!lockHeld(lockOf(copy))) found.push_back({copy, lockOf(copy)});
    }
    return found; // newest first
}

bool RecoveryCopy::offer(QWidget* parent) {
    for (const Leftover& leftover : leftovers()) {
        const Offered outcome = offerOne(leftover, parent);
        if (outcome == Offered::Restored) return true;
    }
    return false;
}

RecoveryCopy::Offered RecoveryCopy::offerOne(const Leftover& leftover, QWidget* parent) {
    // Claimed while it is offered, so that an editor starting beside this one
    // does not offer it too. A folder that takes no files takes no claim
    // either; the copy is offered all the same.
    QLockFile claim(leftover.lock);
    if (takeLock(claim) == QLockFile::LockFailedError) return Offered::Skipped;
    const auto read = runBeside([copy = leftover.copy] { return readUserFile(copy); },
                                [this] { return !edit_.window()->isVisible(); });
    if (!read || read->outcome == FileRead::Outcome::Missing) return Offered::Skipped;
    if (read->outcome != FileRead::Outcome::Read) {
        qWarning("veltra: %s is not a regular file of at most 16 MiB; not offered as a recovery copy",
                 qUtf8Printable(shownPath(leftover.copy)));
        return Offered::Skipped;
    }
    const QString copy = QString::fromUtf8(read->bytes);
    // Nothing to recover: a blank text is not offered, and does not stay.
    if (copy.trimmed().isEmpty() || copy == wholeText(*edit_.document())) {
        QFile::remove(leftover.copy);
        return Offered::Skipped;
    }
    if (offeredHashes().contains(hashOf(copy))) return Offered::Skipped;

    const QString when =
        QFileInfo(leftover.copy).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    const int lines = int(copy.count(QLatin1Char('\n'))) + (copy.endsWith(QLatin1Char('\n')) ? 0 : 1);
    const Question question{QStringLiteral("После прошлой работы осталась программа, не записанная в файл "
                                           "(строк: %1, изменена %2).\nВосстановить её в редакторе?")
                                    .arg(lines)
                                    .arg(when) +
                                warningOnce(),
                            QString(), QStringLiteral("Восстановить"), QStringLiteral("Не восстанавливать")};
    if (!userDialogs().ask(parent, question)) {
        QFile::remove(declinedPath());
        if (!QFile::rename(leftover.copy, declinedPath())) rememberOffered(copy);
        return Offered::Declined;
    }
    // Cancelled, the leftover stays as it was, to be offered at the next start.
    if (!TextLoader::of(edit_).replace(copy, [this](const QString& text) { return isStored(text); }))
        return Offered::Skipped;
    if (!folderMade_) {
        // A folder that takes no files cannot lose the leftover either.
        rememberOffered(copy);
        return Offered::Restored;
    }
    // The leftover stays the only copy until this editor's own holds the
    // text: on a full disk it is kept (and offered again at the next start,
    // should this editor end without writing its copy).
    restoredFrom_ = leftover.copy;
    if (!sync())
        restoreUnsaved_ =
            QStringLiteral("копия восстановленного текста не записана (%1); прежняя копия %2 оставлена")
                .arg(failure_, shownPath(leftover.copy));
    return Offered::Restored;
}

QString RecoveryCopy::warningOnce() {
    const QString warning = unsaidWarning();
    return warning.isEmpty() ? warning : QStringLiteral("\n\n") + warning;
}

QString RecoveryCopy::unsaidWarning() {
    if (!restoreUnsaved_.isEmpty()) return std::exchange(restoreUnsaved_, QString());
    if (kept() || offSaid_) return QString();
    offSaid_ = true;
    return QStringLiteral("Восстановление после сбоя выключено: в папку %1 нельзя записать.")
        .arg(shownPath(QDir::cleanPath(folder_)));
}

} // namespace veltra
