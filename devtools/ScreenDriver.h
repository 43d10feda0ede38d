#pragma once
// What the editor's screenshot tool does to the real program on a real X
// display: waits for a state with a bound, lets the windows paint, grabs the
// screen, types, and goes through modal windows.

#include <QPixmap>
#include <QRect>
#include <QString>

#include <functional>

class QTimer;
class QWidget;

namespace veltra::shots {

constexpr int kBoundMs = 20000;

// Runs events until `ready` holds; false when it did not within the bound.
bool settle(const std::function<bool()>& ready, int boundMs = kBoundMs);

// Lets the windows paint (and the board run) for `ms`.
void pause(int ms);

// What is on the screen in `area`: the windows of every process, tooltips and
// popups included.
QPixmap screenArea(const QRect& area);
QPixmap screenOf(const QWidget& window);

// Types any text, Cyrillic included, one key press per character.
void type(QWidget* widget, const QString& text);

// `open` shows a modal window of class `kind` (a dialog, a message box) and
// returns once it is closed; `inside` runs while it is up, painted, and
// closes it.
void whileModal(const std::function<void()>& open, const std::function<void(QWidget&)>& inside,
                const char* kind = "QDialog");

// A box nobody waits for (a failed step) would hold the run for ever: it is
// said and closed, every five seconds while `timer` runs.
void closeUnexpectedBoxes(QTimer& timer);

} // namespace veltra::shots
