// The main window's side of the program check: the message line, the two
// pauses, and the editor's lines handed to the compiler.

#include "app/editor/EditorAssist.h"
#include "app/editor/EditorText.h"
#include "app/window/TMainForm.h"
#include "ui_TMainForm.h"

namespace veltra {

int TMainForm::checkProgram() {
    if (state_.consoleMode) return 1;
    program_.invalidate();
    setMessage(QStringLiteral("  проверка программы..."), Qt::black);
    // The pauses below let no events run; the message is painted now so that
    // the user sees it during them.
    ui->stError->repaint();
    turns_.Sleep(500);
    const std::vector<std::u32string> source = sourceLines(*ui->edit->document());
    turns_.Sleep(100);

    CheckReport report;
    const int result = program_.check(source, report);
    assist_->checked(report.line);
    setMessage(QString::fromStdString(report.message), messageColour(report.colour));
    return result;
}

} // namespace veltra
