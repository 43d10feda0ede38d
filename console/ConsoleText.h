#pragma once
// The console's text as its procedures see it: lines to add and replace, the
// last line the user typed, the lines typed after the prompt, and the caret.
// The widget behind it is the view's business (PlainTextConsole shows it in
// a QPlainTextEdit).

#include <QString>
#include <QStringList>

#include "link/TextSink.h"

namespace veltra {

class ConsoleText : public TextSink {
  public:
    // The last line that counts: an empty last line (the line end a pasted
    // command brought along) is not one, as for the line indicator.
    virtual QString LastLine() const = 0;
    // Empties the console.
    virtual void Clear() = 0;
    // The caret goes after the last character, in view.
    virtual void CaretToEnd() = 0;

    // The last line is the prompt the console offers now.
    virtual void MarkPrompt() = 0;
    // The lines from the prompt's line to the end, the prompt's own line
    // first; an empty last line is not counted, as for LastLine.
    virtual QStringList TypedLines() const = 0;
    // Puts `lines` in place of the typed lines, the caret after them.
    virtual void SetTypedLines(const QStringList& lines) = 0;
};

} // namespace veltra
