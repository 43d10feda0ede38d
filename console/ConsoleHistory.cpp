#include "console/ConsoleHistory.h"

#include <QFileInfo>
#include <QLockFile>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstdio>

#include "os/ShownName.h"
#include "os/UserFiles.h"

namespace veltra {

namespace {

// Far more than 200 lines of the longest console line take; a file grown
// beyond it by hand is read from its end only.
constexpr qint64 kReadLimit = 256 * 1024;
// Another editor writes the file for a few milliseconds at most.
constexpr int kLockWaitMs = 1000;

// The entries a file holds, the newest last, at most kLimit.
QStringList entriesOf(const QString& path) {
    const FileRead file = readUserFile(path, kReadLimit, ReadPart::Tail);
    if (file.outcome != FileRead::Outcome::Read) return {};
    return ConsoleHistory::entriesFromText(file.bytes, file.size > kReadLimit);
}

// The lock of the file, also when another editor holds it for a moment.
bool lockWithin(QLockFile& lock, int ms) {
    const QLockFile::LockError error = takeLock(lock);
    return error == QLockFile::NoError || (error == QLockFile::LockFailedError && lock.tryLock(ms));
}

} // namespace

QStringList ConsoleHistory::entriesFromText(const QByteArray& text, bool cutAtStart) {
    QList<QByteArray> lines = text.split('\n');
    if (cutAtStart && !lines.isEmpty()) lines.removeFirst();
    QStringList entries;
    for (const QByteArray& bytes : lines) {
        const QString line = QString::fromUtf8(bytes).remove(QLatin1Char('\r'));
        if (!line.isEmpty()) entries.append(line);
    }
    if (entries.size() > kLimit) entries.remove(0, entries.size() - kLimit);
    return entries;
}

QByteArray ConsoleHistory::textOfEntries(const QStringList& entries) {
    return (entries.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

ConsoleHistory::ConsoleHistory(QString path, FileWork work) : path_(std::move(path)) {
    files_.setMaxThreadCount(1);
    if (path_.isEmpty()) return;
    background_ = work == FileWork::Background;
    if (!background_) {
        entries_ = entriesOf(path_);
        shown_ = entries_.size();
    } else {
        loading_ = QtConcurrent::run(&files_, entriesOf, path_);
    }
}

ConsoleHistory::~ConsoleHistory() {
    Q_ASSERT(owner_.isNull() || onOwnerThread() || owner_->isFinished());
    files_.waitForDone();
}

void ConsoleHistory::MoveToThread(QThread* thread) {
    Q_ASSERT(onOwnerThread());
    owner_ = thread;
}

const QStringList& ConsoleHistory::Entries() const {
    takeLoaded();
    return entries_;
}

// Every public call but the destructor's comes through here (Add, Older,
// Newer, Restore and Entries look at the loaded lines first).
void ConsoleHistory::takeLoaded() const {
    Q_ASSERT_X(onOwnerThread(), "ConsoleHistory", "used off the thread that owns it");
    if (!loading_.isValid() || !loading_.isFinished()) return;
    QStringList entries = loading_.takeResult();
    loading_ = {};
    const bool wasBrowsing = browsing();
    const qsizetype fromEnd = entries_.size() - shown_;
    for (const QString& line : std::as_const(entries_)) {
        if (entries.isEmpty() || entries.last() != line) entries.append(line);
    }
    if (entries.size() > kLimit) entries.remove(0, entries.size() - kLimit);
    entries_ = std::move(entries);
    // The entry being shown stays the one shown.
    shown_ = wasBrowsing ? std::max<qsizetype>(0, entries_.size() - fromEnd) : entries_.size();
}

void ConsoleHistory::Add(const QString& line) {
    takeLoaded();
    shown_ = entries_.size();
    if (line.isEmpty() || (!entries_.isEmpty() && entries_.last() == line)) return;
    entries_.append(line);
    if (entries_.size() > kLimit) entries_.remove(0, entries_.size() - kLimit);
    shown_ = entries_.size();
    if (path_.isEmpty()) return;
    if (background_) {
        files_.start([this, line] { save(line); });
    } else {
        save(line);
    }
}

std::optional<QString> ConsoleHistory::Older(const QString& typed) {
    takeLoaded();
    if (!browsing()) typed_ = typed;
    if (shown_ == 0) return std::nullopt;
    return entries_[--shown_];
}

std::optional<QString> ConsoleHistory::Newer() {
    takeLoaded();
    if (!browsing()) return std::nullopt;
    if (++shown_ < entries_.size()) return entries_[shown_];
    return typed_;
}

std::optional<QString> ConsoleHistory::Restore() {
    takeLoaded();
    if (!browsing()) return std::nullopt;
    shown_ = entries_.size();
    return typed_;
}

void ConsoleHistory::save(const QString& line) {
    if (path_.isEmpty()) return;
    QString failure;
    const QString folder = QFileInfo(path_).absolutePath();
    QLockFile lock(path_ + QStringLiteral(".lock"));
    if (!makeStateFolder(folder)) {
        failure = QStringLiteral("its folder cannot be made");
    } else if (!lockWithin(lock, kLockWaitMs)) {
        failure = QStringLiteral("its lock cannot be had");
    } else {
        // What the file holds now (other editors' lines too), and the new one.
        QStringList entries = entriesOf(path_);
        if (entries.isEmpty() || entries.last() != line) entries.append(line);
        if (entries.size() > kLimit) entries.remove(0, entries.size() - kLimit);
        writeStateFile(path_, textOfEntries(entries), &failure);
    }
    // A history that cannot be kept must not interrupt the user at every
    // command: it is said once while it keeps failing, and this run's
    // entries still work.
    if (!failure.isEmpty() && !saveFailed_) {
        std::fprintf(stderr,
                     "veltra: cannot write the console history %s (%s); it is kept for this run only\n",
                     qPrintable(shownPath(path_)), qPrintable(failure));
    }
    saveFailed_ = !failure.isEmpty();
}

} // namespace veltra
