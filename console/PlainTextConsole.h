#pragma once
// The console's text in the main window's console view, a QPlainTextEdit.

#include "console/ConsoleText.h"

class QPlainTextEdit;

namespace veltra {

class PlainTextConsole : public ConsoleText {
  public:
    explicit PlainTextConsole(QPlainTextEdit& view) : view_(view) {}

    // The four lines the console starts with, the caret after the prompt.
    void FillInitial();

    int AppendLine(const QString& line) override;
    void ReplaceLine(int index, const QString& line) override;
    QString LastLine() const override;
    void Clear() override;
    void CaretToEnd() override;

  private:
    QPlainTextEdit& view_;
};

} // namespace veltra
