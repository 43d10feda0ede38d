#pragma once
// How the main window looks: its frame, fonts, colours, button pictures and
// the three panels of its status bar. The window calls these once when it is
// made; its controls keep the names and places of its form (TMainForm.ui).

#include <QColor>
#include <QPalette>
#include <QString>

#include "compiler/ProgramCheck.h"

class QLabel;
class QMainWindow;
class QStatusBar;
class QWidget;

namespace Ui {
class TMainForm;
}

namespace veltra {

// The colour of the check's message in the message line.
QColor messageColour(MessageColour colour);

// One colour of a widget's palette.
void colourText(QWidget& widget, QPalette::ColorRole role, const QColor& colour);

// `text` in the message line under the editor, in `colour`.
void showMessage(QLabel& line, const QString& text, const QColor& colour);

// The window's controls as its form makes them, with their frame, fonts,
// colours and button pictures; the editor holds one empty line. The console
// view's look is its pane's.
void buildMainLook(QMainWindow& window, Ui::TMainForm& ui);

// Moves the window so that its outer frame is centred on the desktop.
void centreOnDesktop(QWidget& window);

// Port state, link state (centred, takes what is left), clock.
class StatusPanels {
  public:
    void build(QStatusBar& bar);
    void set(int index, const QString& text);
    QString text(int index) const;
    // The tooltip of a panel: the link's health figures on panel 1, whose
    // text stays the link state.
    void setTip(int index, const QString& tip);
    QString tip(int index) const;

  private:
    QLabel* panels_[3] = {};
};

} // namespace veltra
