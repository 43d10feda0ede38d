#include "app/editor/ProgramHighlighter.h"

#include "language/ProgramTokens.h"

namespace veltra {

ProgramHighlighter::ProgramHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document), colours_(tokenColours(Qt::black, Qt::white)) {}

void ProgramHighlighter::setColours(const QColor& background, const QColor& text) {
    const TokenColours colours = tokenColours(background, text);
    if (colours == colours_) return;
    colours_ = colours;
    rehighlight();
}

void ProgramHighlighter::highlightBlock(const QString& text) {
    for (const Token& token : programTokens(text)) {
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
        setFormat(token.start, token.length, format);
    }
}

} // namespace veltra
