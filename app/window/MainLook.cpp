#include "app/window/MainLook.h"

#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>

#include "app/window/ButtonPictures.h"
#include "help/Fonts.h"
#include "place/WindowPlace.h"
#include "ui_TMainForm.h"

namespace veltra {

namespace {

// Still readable: bold digits of the indicator's font.
constexpr int kLeastIndicatorPixels = 8;

} // namespace

QColor messageColour(MessageColour colour) {
    switch (colour) {
    case MessageColour::Red:
        return QColor(255, 0, 0);
    case MessageColour::Green:
        return QColor(0, 128, 0);
    case MessageColour::Black:
        break;
    }
    return QColor(0, 0, 0);
}

void colourText(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}

void showMessage(QLabel& line, const QString& text, const QColor& colour) {
    colourText(line, QPalette::WindowText, colour);
    line.setText(text);
}

void buildMainLook(QMainWindow& window, Ui::TMainForm& ui) {
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    window.setFixedSize(642, 607);
    // Before the controls are made: a font set afterwards reaches every one
    // of them as a change, and both text views lay their text out again.
    window.setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    ui.setupUi(&window);

    // The editor: an empty program is one empty line.
    ui.edit->setFont(designFont(QStringLiteral("Courier New"), 16));
    colourText(*ui.edit, QPalette::Base, Qt::black);
    colourText(*ui.edit, QPalette::Text, Qt::white);
    ui.edit->setPlainText(QStringLiteral("\n"));

    colourText(*ui.Panel3, QPalette::Window, Qt::white);
    ui.stNumLine->setFont(designFont(QStringLiteral("Courier New"), 15, true));
    colourText(*ui.stNumLine, QPalette::WindowText, QColor(0, 0, 255));
    ui.stError->setFont(designFont(QStringLiteral("Arial"), 15, true));
    colourText(*ui.stError, QPalette::WindowText, Qt::black);
    // The indicator's widest text at 15 px (lines up to 999) just fits its
    // field without the label's default indent. Longer numbers are drawn
    // smaller, never cut: the 22 characters of 1.5 million lines (a 16 MiB
    // program) fit at 9 px. A message too long for its line is cut with an
    // ellipsis, and its tooltip is the whole text.
    ui.stNumLine->setIndent(1);
    ui.stNumLine->setLeastPixelSize(kLeastIndicatorPixels);
    ui.stError->setIndent(2);

    QFont caption = window.font();
    caption.setBold(true);
    ui.btSend->setFont(caption);
    const std::pair<QPushButton*, ButtonPicture> pictures[] = {
        {ui.btSend, ButtonPicture::Upload},       {ui.btNew, ButtonPicture::New},
        {ui.btLoadFromFile, ButtonPicture::Open}, {ui.btSaveToFile, ButtonPicture::Save},
        {ui.btPrintFile, ButtonPicture::Print},   {ui.btHelp, ButtonPicture::Help},
        {ui.btParam, ButtonPicture::Settings},
    };
    for (const auto& [button, picture] : pictures)
        button->setIcon(buttonPicture(picture));
}

void centreOnDesktop(QWidget& window) {
    // Before the window manager has framed the window its frame is its inner
    // area; the window centres itself again once the frame is known.
    window.move(centredFrame(window.screen()->availableGeometry(), window.frameGeometry().size()).topLeft());
}

void StatusPanels::build(QStatusBar& bar) {
    bar.setFixedHeight(22);
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(&bar);
        panels_[i]->setObjectName(QStringLiteral("stBarPanel%1").arg(i));
        panels_[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    }
    panels_[0]->setFixedWidth(120);
    panels_[1]->setAlignment(Qt::AlignCenter);
    panels_[1]->setMinimumWidth(120);
    panels_[2]->setFixedWidth(
        panels_[2]->fontMetrics().horizontalAdvance(QStringLiteral(" 00/00/0000    00:00:00 ")) + 8);
    bar.addWidget(panels_[0]);
    bar.addWidget(panels_[1], 1);
    bar.addWidget(panels_[2]);
}

void StatusPanels::set(int index, const QString& text) {
    if (index >= 0 && index < 3) panels_[index]->setText(text);
}

QString StatusPanels::text(int index) const {
    return (index >= 0 && index < 3) ? panels_[index]->text() : QString();
}

void StatusPanels::setTip(int index, const QString& tip) {
    if (index >= 0 && index < 3) panels_[index]->setToolTip(tip);
}

QString StatusPanels::tip(int index) const {
    return (index >= 0 && index < 3) ? panels_[index]->toolTip() : QString();
}

} // namespace veltra
