#pragma once
// Colours the program text by what each word is to the compiler
// (ProgramTokens). Only the lines about to be painted are coloured, each
// time they are: a text of a million lines costs what its screenful costs,
// where colouring every line (as QSyntaxHighlighter does after each change)
// took seconds and a layout of every line in memory. It only sets the look
// of the lines as they are laid out: the document's text, its undo stack and
// its change signals stay untouched.

#include <QObject>
#include <QTextLayout>

#include "app/editor/EditorPalette.h"

class QTextBlock;

namespace veltra {

class ProgramEdit;

class ProgramHighlighter : public QObject {
  public:
    explicit ProgramHighlighter(ProgramEdit& edit);

    // Takes the colours for `background` and the user's `text` colour; the
    // lines shown are painted again in them.
    void setColours(const QColor& background, const QColor& text);

    // The formats `line` is shown with.
    QList<QTextLayout::FormatRange> formatsFor(const QString& line) const;

  private:
    // Gives the shown lines in `area` the formats their text calls for.
    void colourShown(const QRect& area);

    ProgramEdit& edit_;
    TokenColours colours_;
};

} // namespace veltra
