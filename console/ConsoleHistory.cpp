#include "console/ConsoleHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace veltra {

namespace {

// Far more than 200 lines of the longest console line take; a file grown
// beyond it by hand is read from its end only.
constexpr qint64 kReadLimit = 256 * 1024;

// The state folder holds the user's own traces: readable by the user alone,
// as the XDG rules ask for folders they create.
bool makeFolder(const QString& folder) {
    if (QFileInfo(folder).isDir()) return true;
    const QFileInfo info(folder);
    return QDir().mkpath(info.absolutePath()) &&
           QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

ConsoleHistory::ConsoleHistory(QString path) : path_(std::move(path)) {
    load();
    shown_ = entries_.size();
}

void ConsoleHistory::Add(const QString& line) {
    shown_ = entries_.size();
    if (line.isEmpty() || (!entries_.isEmpty() && entries_.last() == line)) return;
    entries_.append(line);
    if (entries_.size() > kLimit) entries_.remove(0, entries_.size() - kLimit);
    shown_ = entries_.size();
    save();
}

std::optional<QString> ConsoleHistory::Older(const QString& typed) {
    if (!browsing()) typed_ = typed;
    if (shown_ == 0) return std::nullopt;
    return entries_[--shown_];
}

std::optional<QString> ConsoleHistory::Newer() {
    if (!browsing()) return std::nullopt;
    if (++shown_ < entries_.size()) return entries_[shown_];
    return typed_;
}

std::optional<QString> ConsoleHistory::Restore() {
    if (!browsing()) return std::nullopt;
    shown_ = entries_.size();
    return typed_;
}

void ConsoleHistory::load() {
    if (path_.isEmpty()) return;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return;
    const bool cut = file.size() > kReadLimit;
    if (cut) file.seek(file.size() - kReadLimit);
    QList<QByteArray> lines = file.read(kReadLimit).split('\n');
    if (cut && !lines.isEmpty()) lines.removeFirst(); // begun mid-line
    for (const QByteArray& bytes : lines) {
        const QString line = QString::fromUtf8(bytes).remove(QLatin1Char('\r'));
        if (!line.isEmpty()) entries_.append(line);
    }
    if (entries_.size() > kLimit) entries_.remove(0, entries_.size() - kLimit);
}

void ConsoleHistory::save() {
    if (path_.isEmpty()) return;
    QString failure;
    QSaveFile file(path_);
    if (!makeFolder(QFileInfo(path_).absolutePath())) {
        failure = QStringLiteral("its folder cannot be made");
    } else if (file.open(QIODevice::WriteOnly)) {
        for (const QString& line : entries_)
            file.write(line.toUtf8() + '\n');
        if (!file.commit()) failure = file.errorString();
    } else {
        failure = file.errorString();
    }
    // A history that cannot be kept must not interrupt the user at every
    // command: it is said once while it keeps failing, and this run's
    // entries still work.
    if (!failure.isEmpty() && !saveFailed_) {
        std::fprintf(stderr,
                     "veltra: cannot write the console history %s (%s); it is kept for this run only\n",
                     qPrintable(QDir::toNativeSeparators(path_)), qPrintable(failure));
    }
    saveFailed_ = !failure.isEmpty();
}

} // namespace veltra
