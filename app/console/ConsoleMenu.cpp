// The console view's context menu: copying, keeping the session in a file,
// and taking the commands the board accepted into the program.

#include "app/console/ConsolePane.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "app/editor/EditorText.h"
#include "app/shell/FileDialogs.h"
#include "app/shell/UserDialogs.h"
#include "app/shell/VeltraApplication.h"
#include "console/ConsoleTranscript.h"
#include "files/ProgramFolder.h"
#include "files/ProgramText.h"

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

} // namespace

void ConsolePane::buildMenu() {
    auto add = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    auto run = [this](QAction* action, void (ConsolePane::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        return action;
    };
    QPlainTextEdit* view = &view_;
    menu_.copy = add("actConsoleCopy", QStringLiteral("Копировать"));
    menu_.paste = add("actConsolePaste", QStringLiteral("Вставить"));
    menu_.selectAll = add("actConsoleSelectAll", QStringLiteral("Выделить всё"));
    connect(menu_.copy, &QAction::triggered, view, &QPlainTextEdit::copy);
    connect(menu_.paste, &QAction::triggered, view, &QPlainTextEdit::paste);
    connect(menu_.selectAll, &QAction::triggered, view, &QPlainTextEdit::selectAll);
    menu_.copyAll = run(add("actConsoleCopyAll", QStringLiteral("Копировать всё")), &ConsolePane::copyAll);
    menu_.toProgram =
        run(add("actConsoleToProgram", QStringLiteral("Добавить в программу")), &ConsolePane::linesToProgram);
    // The shortcut is shown, not bound: Ctrl+S belongs to the console only
    // while it has the focus (claimShortcut), and to the editor otherwise.
    menu_.save =
        run(add("actConsoleSave", QStringLiteral("Сохранить текст консоли...\tCtrl+S")), &ConsolePane::save);

    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([this, at] { showMenu(at); }); });
}

void ConsolePane::showMenu(const QPoint& at) {
    const bool selected = view_.textCursor().hasSelection();
    menu_.copy->setEnabled(selected);
    menu_.paste->setEnabled(!windowBusy_() && view_.canPaste());
    menu_.toProgram->setEnabled(selected);
    menu_.save->setEnabled(!windowBusy_());
    // A popup, not a modal menu: a console line waiting for the board goes on
    // waiting while the menu is open.
    auto* menu = new QMenu(window());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions({menu_.copy, menu_.paste, menu_.selectAll});
    menu->addSeparator();
    menu->addActions({menu_.copyAll, menu_.toProgram});
    menu->addSeparator();
    menu->addAction(menu_.save);
    menu->popup(view_.viewport()->mapToGlobal(at));
}

void ConsolePane::copyAll() {
    QGuiApplication::clipboard()->setText(countedLines(*view_.document()).join(QLatin1Char('\n')));
}

void ConsolePane::save() {
    // A line waiting for the board is still writing the text.
    if (windowBusy_()) return;
    const QStringList lines = countedLines(*view_.document());
    if (auto bad = findUnencodable(lines)) {
        userDialogs().beep();
        userDialogs().message(window(), unencodableMessage(*bad, QStringLiteral("Текст консоли не записан.")),
                              QString(), BoxIcon::Stop);
        return;
    }
    const QString folder =
        savedPath_.isEmpty() ? documentFolder() : dialogStartFolder(savedPath_, documentFolder());
    // Named after the moment, so that sessions saved one after another do not
    // replace each other by default.
    const QString name =
        QStringLiteral("консоль_%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
    QString path = userDialogs().saveFileName(window(), {QStringLiteral("Сохранить текст консоли..."), folder,
                                                         kConsoleFilter, QStringLiteral("txt"), name});
    if (path.isEmpty()) return;
    path = withDefaultSuffix(path, QStringLiteral("txt"));
    writeProgramFile(path, lines);
    savedPath_ = path;
}

void ConsolePane::linesToProgram() {
    const QTextCursor selection = view_.textCursor();
    if (!selection.hasSelection()) return;
    const auto [first, last] = selectedLines(selection);
    const QStringList commands = acceptedCommands(countedLines(*view_.document()), first, last);
    if (commands.isEmpty()) {
        userDialogs().beep();
        return;
    }
    emit addToProgram(commands);
}

} // namespace veltra
