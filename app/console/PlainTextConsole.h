#pragma once
// The console's text in the main window's console view, a QPlainTextEdit.

#include <QTextCursor>

#include "console/ConsoleText.h"

class QPlainTextEdit;

namespace veltra {

class PlainTextConsole : public ConsoleText {
  public:
    explicit PlainTextConsole(QPlainTextEdit& view);

    // The four lines the console starts with, the caret after the prompt.
    void FillInitial();

    int AppendLine(const QString& line) override;
    void ReplaceLine(int index, const QString& line) override;
    QString LastLine() const override;
    void Clear() override;
    void CaretToEnd() override;
    void MarkPrompt() override;
    QStringList TypedLines() const override;
    void SetTypedLines(const QStringList& lines) override;

  private:
    QPlainTextEdit& view_;
    // At the start of the prompt's line. The document moves it with every
    // edit before it, so lines the user adds or removes above the prompt do
    // not move the typed lines; text inserted right at it counts as typed.
    QTextCursor prompt_;
};

} // namespace veltra
