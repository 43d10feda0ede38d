#pragma once
// Colours the program text by what each word is to the compiler
// (ProgramTokens). It only sets the look of the lines as they are laid out:
// the document's text, its undo stack and its change signals stay untouched.

#include <QSyntaxHighlighter>

#include "app/editor/EditorPalette.h"

namespace veltra {

class ProgramHighlighter : public QSyntaxHighlighter {
  public:
    explicit ProgramHighlighter(QTextDocument* document);

    // Takes the colours for `background` and the user's `text` colour, and
    // colours every line again when they changed.
    void setColours(const QColor& background, const QColor& text);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    TokenColours colours_;
};

} // namespace veltra
