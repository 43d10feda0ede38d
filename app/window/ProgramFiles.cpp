#include "app/window/ProgramFiles.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTimer>

#include "app/editor/ChangeDetection.h"
#include "app/editor/EditorAssist.h"
#include "app/editor/EditorText.h"
#include "files/ProgramFolder.h"
#include "files/ProgramText.h"
#include "app/run/RunDesk.h"
#include "files/AppError.h"
#include "app/shell/FileDialogs.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/WorkBeside.h"
#include "app/window/CheckedProgram.h"
#include "app/window/MainLook.h"

namespace veltra {

namespace {

const QString kFilter = QStringLiteral("Файлы программ Veltra(*.txt)");

QString folderOf(const QString& path) {
    return dialogStartFolder(path, programFolder());
}

} // namespace

ProgramFiles::ProgramFiles(Parts parts, Helpers helpers, const QString& startPath)
    : parts_(parts), helpers_(helpers), savePath_(startPath), openPath_(startPath) {}

void ProgramFiles::clearMessage() {
    showMessage(parts_.message, QString(), parts_.message.palette().color(QPalette::WindowText));
}

bool ProgramFiles::setText(const QString& text, const QString& filePath) {
    const bool replaced =
        helpers_.changes.replaceText(text, [this](const QString& old) { return helpers_.assist.isStored(old); });
    helpers_.run.textReplaced(); // a cancelled text went out and came back: breakpoints are gone either way
    if (!replaced) return false;
    QCoreApplication::processEvents();
    helpers_.changes.takeAsUnchanged();
    helpers_.assist.textStored(filePath);
    return true;
}

void ProgramFiles::newProgram() {
    if (!setText(QStringLiteral("//------- программа Veltra -------\n"), QString())) return;
    openedAsUtf8_ = false;
    clearMessage();
    helpers_.program.invalidate();
    QCoreApplication::processEvents();
}

void ProgramFiles::open() {
    if (reading_) return;
    QString path = userDialogs().openFileName(&parts_.window, {QStringLiteral("Открыть файл с программой..."),
                                                               folderOf(openPath_), kFilter, QString()});
    if (path.isEmpty()) return;
    openFile(path);
}

bool ProgramFiles::openFile(const QString& path) {
    if (reading_) return false; // a second Open waits for this one
    openPath_ = path;
    const QScopedValueRollback reading(reading_, true);
    const auto file =
        runBeside([path] { return tryReadProgramFile(path); }, [this] { return helpers_.turns.Aborted(); });
    if (!file) return false; // the window closes
    if (!*file) throw AppError(cannotOpenMessage(path));
    if (!setText((*file)->text, path)) {
        if (!helpers_.turns.Aborted())
            showMessage(parts_.message, QStringLiteral("файл не открыт: загрузка отменена"), QColor(0, 0, 255));
        return false;
    }
    openedAsUtf8_ = (*file)->readAsUtf8;
    if (openedAsUtf8_) {
        showMessage(parts_.message, QStringLiteral("файл в UTF-8; сохранится в Windows-1251"), QColor(0, 0, 255));
    } else {
        clearMessage();
    }
    parts_.save.setEnabled(true);
    parts_.print.setEnabled(true);
    helpers_.program.invalidate();
    return true;
}

QString ProgramFiles::openHanded(const QString& path, bool* shownHere) {
    try {
        if (!openFile(path) && !helpers_.turns.Aborted()) return QStringLiteral("загрузка файла отменена в редакторе");
    } catch (const AppError& error) {
        // Shown as Open shows it, once the other start has its answer; the
        // other start then shows nothing, so one mistake is one box.
        QTimer::singleShot(0, &parts_.window, [text = error.text()] { userDialogs().showError(text); });
        if (shownHere) *shownHere = true;
        return error.text();
    }
    if (helpers_.turns.Aborted()) return QStringLiteral("редактор закрывается");
    if (!openedAsUtf8_)
        showMessage(parts_.message, QStringLiteral("открыт из второго запуска, отмена: Ctrl+Z"), QColor(0, 0, 255));
    parts_.window.raise();
    parts_.window.activateWindow();
    return QString();
}

void ProgramFiles::save() {
    QPlainTextEdit& edit = parts_.edit;
    const QStringList lines = countedLines(*edit.document());
    // A character Windows-1251 has no byte for would be written as '?': the
    // text is not saved, and the caret goes to the first such character.
    if (auto bad = findUnencodable(lines)) {
        QTextCursor cursor(edit.document()->findBlockByNumber(bad->line));
        cursor.setPosition(cursor.position() + bad->column);
        edit.setTextCursor(cursor);
        userDialogs().beep();
        userDialogs().message(&parts_.window,
                              unencodableMessage(*bad, QStringLiteral("Программа не записана.")), QString(),
                              BoxIcon::Stop);
        return;
    }
    QString path =
        userDialogs().saveFileName(&parts_.window, {QStringLiteral("Сохранить программу..."),
                                                    folderOf(savePath_), kFilter, QStringLiteral("txt")});
    if (path.isEmpty()) return;
    savePath_ = withDefaultSuffix(path, QStringLiteral("txt"));
    writeProgramFile(savePath_, lines);
    QCoreApplication::processEvents();
    helpers_.changes.takeAsUnchanged();
    helpers_.assist.textStored(savePath_);
    if (openedAsUtf8_) {
        // Once: from now on the file is what every program file is.
        openedAsUtf8_ = false;
        showMessage(parts_.message, QStringLiteral("файл сохранён в кодировке Windows-1251"),
                    QColor(0, 0, 255));
    } else {
        clearMessage();
    }
    parts_.save.setEnabled(false);
    parts_.print.setEnabled(true);
}

void ProgramFiles::print() {
    helpers_.assist.print(&parts_.window);
}

} // namespace veltra
