#include "app/editor/ProgramHighlighter.h"

#include <QTextBlock>

#include "app/editor/ProgramEdit.h"
#include "language/ProgramTokens.h"

namespace veltra {

ProgramHighlighter::ProgramHighlighter(ProgramEdit& edit)
    : QObject(&edit), edit_(edit), colours_(tokenColours(Qt::black, Qt::white)) {
    // Before the view paints: a line whose formats change is laid out anew
    // by that paint itself.
    connect(&edit, &ProgramEdit::aboutToPaint, this, &ProgramHighlighter::colourShown);
}

void ProgramHighlighter::setColours(const QColor& background, const QColor& text) {
    const TokenColours colours = tokenColours(background, text);
    if (colours == colours_) return;
    colours_ = colours;
    edit_.viewport()->update();
}

QList<QTextLayout::FormatRange> ProgramHighlighter::formatsFor(const QString& line) const {
    QList<QTextLayout::FormatRange> formats;
    for (const Token& token : programTokens(line)) {
        QTextCharFormat format;
        switch (token.kind) {
        case TokenKind::Keyword:
            format.setForeground(colours_.keyword);
            format.setFontWeight(QFont::Bold);
            break;
        case TokenKind::Object:
            format.setForeground(colours_.object);
            break;
        case TokenKind::Parameter:
            format.setForeground(colours_.parameter);
            break;
        case TokenKind::Number:
            format.setForeground(colours_.number);
            break;
        case TokenKind::Label:
            format.setForeground(colours_.label);
            format.setFontWeight(QFont::Bold);
            break;
        case TokenKind::Comment:
            format.setForeground(colours_.comment);
            format.setFontItalic(true);
            break;
        }
        formats.append({token.start, token.length, format});
    }
    return formats;
}

void ProgramHighlighter::colourShown(const QRect& area) {
    for (const ShownLine& line : edit_.shownLines()) {
        if (line.top + line.height <= area.top() || line.top > area.bottom()) continue;
        const QTextBlock block = edit_.document()->findBlockByNumber(line.number - 1);
        const QList<QTextLayout::FormatRange> formats = formatsFor(block.text());
        // Setting formats drops the line's layout: only a change does it, or
        // every paint would lay the shown lines out again.
        if (block.layout()->formats() != formats) block.layout()->setFormats(formats);
    }
}

} // namespace veltra
