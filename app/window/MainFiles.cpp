// New, open, save and print: the program text and its files.

#include <QApplication>
#include <QCoreApplication>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTimer>

#include "app/editor/EditorAssist.h"
#include "app/editor/EditorText.h"
#include "app/files/ProgramFolder.h"
#include "app/files/ProgramText.h"
#include "app/shell/AppError.h"
#include "app/shell/FileDialogs.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/WorkBeside.h"
#include "app/window/TMainForm.h"
#include "ui_TMainForm.h"

namespace veltra {

namespace {

const QString kFilter = QStringLiteral("Файлы программ Veltra(*.txt)");

QString folderOf(const QString& path) {
    return dialogStartFolder(path, programFolder());
}

} // namespace

void TMainForm::btNewClick() {
    if (state_.consoleMode) return;
    if (!setProgramText(QStringLiteral("//------- программа Veltra -------\n"))) return;
    state_.openedAsUtf8 = false;
    setMessage(QString(), ui->stError->palette().color(QPalette::WindowText));
    program_.invalidate();
    QCoreApplication::processEvents();
}

void TMainForm::btLoadFromFileClick() {
    if (state_.consoleMode || readingFile_) return;
    QString path = userDialogs().openFileName(this, {QStringLiteral("Открыть файл с программой..."),
                                                     folderOf(state_.openPath), kFilter, QString()});
    if (path.isEmpty()) return;
    openProgramFile(path);
}

bool TMainForm::openProgramFile(const QString& path) {
    if (state_.consoleMode || readingFile_) return false;
    state_.openPath = path;
    // The file is read before the editor is touched: a file that cannot be
    // read leaves the text in the editor as it was. It is read beside the
    // window, which goes on meanwhile; a second Open waits for this one.
    const QScopedValueRollback reading(readingFile_, true);
    const auto file = runBeside([path] { return tryReadProgramFile(path); }, [this] { return closing_; });
    if (!file) return false; // the window closes
    if (!*file) throw AppError(cannotOpenMessage(path));
    if (!setProgramText((*file)->text, path)) {
        if (!closing_) setMessage(QStringLiteral("файл не открыт: загрузка отменена"), QColor(0, 0, 255));
        return false;
    }
    state_.openedAsUtf8 = (*file)->readAsUtf8;
    if (state_.openedAsUtf8) {
        setMessage(QStringLiteral("файл в кодировке UTF-8: прочитан как UTF-8, сохранится в Windows-1251"),
                   QColor(0, 0, 255));
    } else {
        setMessage(QString(), ui->stError->palette().color(QPalette::WindowText));
    }
    ui->btSaveToFile->setEnabled(true);
    ui->btPrintFile->setEnabled(true);
    program_.invalidate();
    return true;
}

QString TMainForm::openHandedFile(const QString& path) {
    // Open does nothing in these moments; the other start says why instead.
    if (closing_) return QStringLiteral("редактор закрывается");
    if (state_.consoleMode) return QStringLiteral("редактор в режиме консоли (F10 вернёт программу)");
    if (readingFile_ || replacingText_ || busy() || QApplication::activeModalWidget())
        return QStringLiteral("редактор занят: открыто окно или идёт обмен с платой");
    try {
        if (!openProgramFile(path) && !closing_) return QStringLiteral("загрузка файла отменена в редакторе");
    } catch (const AppError& error) {
        // Shown as Open shows it, once the other start has its answer.
        QTimer::singleShot(0, this, [text = error.text()] { userDialogs().showError(text); });
        return error.text();
    }
    if (closing_) return QStringLiteral("редактор закрывается");
    // The text it replaced, saved or not, is one Ctrl+Z away.
    if (!state_.openedAsUtf8)
        setMessage(QStringLiteral("открыт файл из второго запуска; Ctrl+Z вернёт прежний текст"),
                   QColor(0, 0, 255));
    raise();
    activateWindow();
    return QString();
}

void TMainForm::btSaveToFileClick() {
    if (state_.consoleMode) return;
    const QStringList lines = countedLines(*ui->edit->document());
    // A character Windows-1251 has no byte for would be written as '?': the
    // text is not saved, and the caret goes to the first such character.
    if (auto bad = findUnencodable(lines)) {
        QTextCursor cursor(ui->edit->document()->findBlockByNumber(bad->line));
        cursor.setPosition(cursor.position() + bad->column);
        ui->edit->setTextCursor(cursor);
        userDialogs().beep();
        userDialogs().message(this, unencodableMessage(*bad, QStringLiteral("Программа не записана.")),
                              QString(), BoxIcon::Stop);
        return;
    }
    QString path =
        userDialogs().saveFileName(this, {QStringLiteral("Сохранить программу..."), folderOf(state_.savePath),
                                          kFilter, QStringLiteral("txt")});
    if (path.isEmpty()) return;
    state_.savePath = withDefaultSuffix(path, QStringLiteral("txt"));
    writeProgramFile(state_.savePath, lines);
    QCoreApplication::processEvents();
    state_.textLength = state_.lastTextLength = countedTextLength(*ui->edit->document());
    assist_->textStored(state_.savePath);
    if (state_.openedAsUtf8) {
        // Once: from now on the file is what every program file is.
        state_.openedAsUtf8 = false;
        setMessage(QStringLiteral("файл сохранён в кодировке Windows-1251"), QColor(0, 0, 255));
    } else {
        setMessage(QString(), ui->stError->palette().color(QPalette::WindowText));
    }
    ui->btSaveToFile->setEnabled(false);
    ui->btPrintFile->setEnabled(true);
}

void TMainForm::btPrintFileClick() {
    if (state_.consoleMode) return;
    assist_->print(this);
}

} // namespace veltra
