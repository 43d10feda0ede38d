// The 100 ms tick: line indicator, once a second the clock and the change
// detection, then the link display.

#include <QDateTime>
#include <QLabel>
#include <QTimer>

#include "app/editor/EditorText.h"
#include "app/window/TMainForm.h"
#include "link/LinkDisplay.h"
#include "ui_TMainForm.h"

namespace veltra {

void TMainForm::TmTimer() {
    ++state_.tickCount;

    QPlainTextEdit* view = !ui->edit->isHidden()         ? ui->edit
                           : !ui->editConsol->isHidden() ? ui->editConsol
                                                         : nullptr;
    if (view)
        ui->stNumLine->setText(lineIndicatorText(caretLine(*view), countedLineCount(*view->document())));

    if (state_.tickCount == 10) {
        SetStatusPanel(2, clockText(QDateTime::currentDateTime(), QLocale::system()));
        state_.tickCount = 0;
        // Lengths only: replacing a character by another is not a change.
        // A long text on its way in is no change of the user's.
        state_.textLength = countedTextLength(*ui->edit->document());
        if (state_.textLength != state_.lastTextLength && !replacingText_) {
            state_.lastTextLength = state_.textLength;
            setMessage(QStringLiteral("программа изменена..."), QColor(0, 0, 255));
            if (!ui->btSaveToFile->isEnabled()) ui->btSaveToFile->setEnabled(true);
            program_.invalidate();
        }
    }

    LinkProtocol& link = session_.link();
    // Once a second, so a tooltip that is open follows the figures.
    if (state_.tickCount == 0)
        panels_.setTip(1, healthLines(link.health().Figures()).join(QLatin1Char('\n')));
    if (auto text = LinkPanelText(link.linkCountdown(), state_.tickCount, link.ioCount()))
        SetStatusPanel(1, *text);
}

} // namespace veltra
