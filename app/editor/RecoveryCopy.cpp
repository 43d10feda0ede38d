#include "app/editor/RecoveryCopy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

#include "app/AppError.h"
#include "app/EditorText.h"
#include "app/SafeWrite.h"
#include "app/UserDialogs.h"

namespace veltra {

RecoveryCopy::RecoveryCopy(QPlainTextEdit& edit, const QString& folder)
    : QObject(&edit), edit_(edit), folder_(folder), stored_(wholeText(*edit.document())) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &RecoveryCopy::sync);
    connect(edit.document(), &QTextDocument::contentsChange, &timer_, qOverload<>(&QTimer::start));
}

QString RecoveryCopy::path() const {
    return QDir(folder_).filePath(QStringLiteral("recovery.txt"));
}

QString RecoveryCopy::declinedPath() const {
    return QDir(folder_).filePath(QStringLiteral("recovery-declined.txt"));
}

void RecoveryCopy::textStored() {
    stored_ = wholeText(*edit_.document());
    sync();
}

void RecoveryCopy::flush() {
    sync();
}

void RecoveryCopy::sync() {
    timer_.stop();
    const QString text = wholeText(*edit_.document());
    if (text == stored_) {
        // A copy an earlier run left stays until it has been offered.
        if (own_) QFile::remove(path());
        own_ = false;
        written_ = QString();
        return;
    }
    if (text == written_) return;
    try {
        if (!QFileInfo::exists(folder_) && QDir().mkpath(folder_))
            QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeWholeFile(path(), text.toUtf8(), QStringLiteral("Unable to write to %1").arg(path()));
        written_ = text;
        own_ = true;
    } catch (const AppError& e) {
        // The copy is a safety net the user did not ask for: a box every
        // second would be worse than its absence. Said once on standard error.
        if (!warned_) qWarning("veltra: no recovery copy: %s", e.what());
        warned_ = true;
    }
}

bool RecoveryCopy::offer(QWidget* parent) {
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QString copy = QString::fromUtf8(file.readAll());
    file.close();
    if (copy.trimmed().isEmpty() || copy == wholeText(*edit_.document())) return false;

    const QString when = QFileInfo(file).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    const int lines = int(copy.count(QLatin1Char('\n'))) + (copy.endsWith(QLatin1Char('\n')) ? 0 : 1);
    const Question question{
        QStringLiteral("После прошлой работы осталась программа, не записанная в файл "
                       "(строк: %1, изменена %2).\nВосстановить её в редакторе?")
            .arg(lines)
            .arg(when),
        QString(), QStringLiteral("Восстановить"), QStringLiteral("Не восстанавливать")};
    if (userDialogs().ask(parent, question)) {
        replaceText(edit_, copy);
        timer_.stop();
        written_ = copy;
        own_ = true;
        return true;
    }
    QFile::remove(declinedPath());
    QFile::rename(path(), declinedPath());
    return false;
}

} // namespace veltra
