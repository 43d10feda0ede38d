// The 100 ms tick: line indicator, once a second the clock and the change
// detection, then the link display.

#include <QDateTime>
#include <QLabel>
#include <QTimer>

#include "app/EditorText.h"
#include "app/TMainForm.h"
#include "link/LinkDisplay.h"
#include "ui_TMainForm.h"

namespace veltra {

void TMainForm::TmTimer() {
    ++tickCount;

    QPlainTextEdit* view = !ui->edit->isHidden()         ? ui->edit
                           : !ui->editConsol->isHidden() ? ui->editConsol
                                                         : nullptr;
    if (view)
        ui->stNumLine->setText(lineIndicatorText(caretLine(*view), countedLineCount(*view->document())));

    if (tickCount == 10) {
        SetStatusPanel(2, clockText(QDateTime::currentDateTime(), QLocale::system()));
        tickCount = 0;
        // Lengths only: replacing a character by another is not a change.
        textLength = countedTextLength(*ui->edit->document());
        if (textLength != lastTextLength) {
            lastTextLength = textLength;
            setMessage(QStringLiteral("программа изменена..."), QColor(0, 0, 255));
            if (!ui->btSaveToFile->isEnabled()) ui->btSaveToFile->setEnabled(true);
            programImage.count = 0;
        }
    }

    if (auto text = LinkPanelText(link.linkCountdown, tickCount, link.ioCount)) SetStatusPanel(1, *text);
}

} // namespace veltra
