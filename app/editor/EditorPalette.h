#pragma once
// The colours the editor adds to the user's background and text colours: the
// language's colouring and the gutter's. The program's words keep the text
// colour the user chose; numbers, labels and comments get shades of it, each
// standing out from the background by at least the contrast ratio of 4.5
// that readable text needs (WCAG 2). The gutter has one set for dark
// backgrounds (black, navy) and one for light ones (white).

#include <QColor>

namespace veltra {

struct TokenColours {
    QColor keyword;   // commands and "тогда"
    QColor object;    // "порт_1", "свд_3", "кн_2", the variables А and В
    QColor parameter; // "вкл", "выкл", colour letters, "записать"
    QColor number;
    QColor label; // "метка_5:" and the label a jump names
    QColor comment;
    bool operator==(const TokenColours&) const = default;
};

struct GutterColours {
    QColor background;
    QColor number;
    QColor caretBand; // behind the caret line's number
    QColor caretNumber;
    QColor mark; // a line the check finds wrong
    // Behind the running line, in the gutter and the text: the text stays
    // readable on it, and its dimmer shades plain.
    QColor runBand;
    QColor breakpoint;
};

bool isDarkBackground(const QColor& background);
// Keywords, objects and parameters in `text` itself (they differ by weight);
// numbers a brighter shade of it (on a light background a darker one), labels
// a lighter step of the same, comments a shade towards the background; a
// colour already at the bright end takes shades towards the background.
TokenColours tokenColours(const QColor& background, const QColor& text);
GutterColours gutterColours(const QColor& background);

// The contrast ratio of two colours (1 to 21), as WCAG 2 defines it.
double contrastRatio(const QColor& a, const QColor& b);

} // namespace veltra
