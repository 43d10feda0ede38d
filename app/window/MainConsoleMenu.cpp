// The console view's context menu: copying, keeping the session in a file,
// and taking the commands the board accepted into the program.

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QMenu>
#include <QTextBlock>

#include "app/editor/EditorText.h"
#include "app/shell/FileDialogs.h"
#include "app/files/ProgramFolder.h"
#include "app/files/ProgramText.h"
#include "app/window/TMainForm.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/VeltraApplication.h"
#include "console/ConsoleTranscript.h"
#include "ui_TMainForm.h"

namespace veltra {

namespace {

const QString kConsoleFilter = QStringLiteral("Текст консоли(*.txt)");

// The first and last line a selection touches; one that ends at the very
// start of a line (a whole line selected with its line end) leaves that line out.
std::pair<int, int> selectedLines(const QTextCursor& selection) {
    const QTextDocument& document = *selection.document();
    const int first = document.findBlock(selection.selectionStart()).blockNumber();
    const QTextBlock end = document.findBlock(selection.selectionEnd());
    int last = end.blockNumber();
    if (last > first && selection.selectionEnd() == end.position()) --last;
    return {first, last};
}

// Appends `lines` after the program's last line as one edit, so one undo
// takes them all back. A program that ends with a line break keeps ending
// with one.
void appendProgramLines(QTextDocument& program, const QStringList& lines) {
    QTextCursor cursor(&program);
    cursor.movePosition(QTextCursor::End);
    const bool endsWithBreak = program.lastBlock().text().isEmpty() && program.blockCount() > 1;
    cursor.beginEditBlock();
    if (!program.lastBlock().text().isEmpty()) cursor.insertBlock();
    cursor.insertText(lines.join(QLatin1Char('\n')));
    if (endsWithBreak) cursor.insertBlock();
    cursor.endEditBlock();
}

} // namespace

void TMainForm::buildConsoleMenu() {
    auto add = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    auto run = [this](QAction* action, void (TMainForm::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        return action;
    };
    QPlainTextEdit* view = ui->editConsol;
    consoleMenu_.copy = add("actConsoleCopy", QStringLiteral("Копировать"));
    consoleMenu_.paste = add("actConsolePaste", QStringLiteral("Вставить"));
    consoleMenu_.selectAll = add("actConsoleSelectAll", QStringLiteral("Выделить всё"));
    connect(consoleMenu_.copy, &QAction::triggered, view, &QPlainTextEdit::copy);
    connect(consoleMenu_.paste, &QAction::triggered, view, &QPlainTextEdit::paste);
    connect(consoleMenu_.selectAll, &QAction::triggered, view, &QPlainTextEdit::selectAll);
    consoleMenu_.copyAll =
        run(add("actConsoleCopyAll", QStringLiteral("Копировать всё")), &TMainForm::copyConsoleText);
    consoleMenu_.toProgram = run(add("actConsoleToProgram", QStringLiteral("Добавить в программу")),
                                 &TMainForm::addConsoleLinesToProgram);
    // The shortcut is shown, not bound: Ctrl+S belongs to the console only
    // while it has the focus (MainKeys.cpp), and to the editor otherwise.
    consoleMenu_.save = run(add("actConsoleSave", QStringLiteral("Сохранить текст консоли...\tCtrl+S")),
                            &TMainForm::saveConsoleText);

    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([this, at] { showConsoleMenu(at); }); });
}

void TMainForm::showConsoleMenu(const QPoint& at) {
    const bool selected = ui->editConsol->textCursor().hasSelection();
    consoleMenu_.copy->setEnabled(selected);
    consoleMenu_.paste->setEnabled(!busy() && ui->editConsol->canPaste());
    consoleMenu_.toProgram->setEnabled(selected);
    consoleMenu_.save->setEnabled(!busy());
    // A popup, not a modal menu: a console line waiting for the board goes on
    // waiting while the menu is open.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions({consoleMenu_.copy, consoleMenu_.paste, consoleMenu_.selectAll});
    menu->addSeparator();
    menu->addActions({consoleMenu_.copyAll, consoleMenu_.toProgram});
    menu->addSeparator();
    menu->addAction(consoleMenu_.save);
    menu->popup(ui->editConsol->viewport()->mapToGlobal(at));
}

void TMainForm::copyConsoleText() {
    QGuiApplication::clipboard()->setText(countedLines(*ui->editConsol->document()).join(QLatin1Char('\n')));
}

void TMainForm::saveConsoleText() {
    // A line waiting for the board is still writing the text.
    if (busy()) return;
    const QStringList lines = countedLines(*ui->editConsol->document());
    if (auto bad = findUnencodable(lines)) {
        userDialogs().beep();
        userDialogs().message(this, unencodableMessage(*bad, QStringLiteral("Текст консоли не записан.")),
                              QString(), BoxIcon::Stop);
        return;
    }
    const QString folder = state_.consoleTextPath.isEmpty()
                               ? documentFolder()
                               : dialogStartFolder(state_.consoleTextPath, documentFolder());
    // Named after the moment, so that sessions saved one after another do not
    // replace each other by default.
    const QString name =
        QStringLiteral("консоль_%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
    QString path = userDialogs().saveFileName(this, {QStringLiteral("Сохранить текст консоли..."), folder,
                                                     kConsoleFilter, QStringLiteral("txt"), name});
    if (path.isEmpty()) return;
    path = withDefaultSuffix(path, QStringLiteral("txt"));
    writeProgramFile(path, lines);
    state_.consoleTextPath = path;
}

void TMainForm::addConsoleLinesToProgram() {
    const QTextCursor selection = ui->editConsol->textCursor();
    if (!selection.hasSelection()) return;
    const auto [first, last] = selectedLines(selection);
    const QStringList commands = acceptedCommands(countedLines(*ui->editConsol->document()), first, last);
    if (commands.isEmpty()) {
        userDialogs().beep();
        return;
    }
    // The once-a-second change detection sees the longer text and reports a
    // changed program, as for typing.
    appendProgramLines(*ui->edit->document(), commands);
}

} // namespace veltra
