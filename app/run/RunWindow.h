#pragma once
// The window "Виртуальная плата" of a run inside the editor: the board
// (LEDs, ports, relays, its three buttons), the run's buttons and speed, the
// board clock, the state beside the code (A, B, the return point, the
// stores, the word) with what the last step changed highlighted, and the
// listing of the words with the shown word marked. It only shows the
// session and passes the clicks on; its owner says when to show it again.

#include <QString>
#include <QWidget>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace veltra {

class BoardView;
class RunSession;

class RunWindow : public QWidget {
    Q_OBJECT

  public:
    enum class Action : std::uint8_t { Run, Pause, Step, RunToCaret, Stop };

    explicit RunWindow(RunSession& session, QWidget* parent = nullptr);

    // The listing of the program the run started from, with its lines' text.
    void setListing(const std::vector<QString>& sourceLines);
    // The editor's text is no longer the one running.
    void setProgramChanged(bool changed);
    // Shows the session as it is now.
    void refresh();
    // Beside `editor`, never over it (besidePlace, place/WindowPlace.h); the editor may move.
    void placeBeside(QWidget& editor);

    QPushButton* button(Action action) const { return buttons_[static_cast<int>(action)]; }

  signals:
    void actionClicked(RunWindow::Action action);

  private:
    QLabel* addState(QGridLayout* grid, int row, const QString& caption, const char* name);

    RunSession& session_;
    BoardView* board_;
    std::array<QPushButton*, 5> buttons_{};
    QComboBox* speed_;
    QCheckBox* finishPause_;
    QLabel* phase_;
    QLabel* clock_;
    QLabel* changed_;
    QLabel* a_;
    QLabel* b_;
    QLabel* returnPoint_;
    std::array<QLabel*, 2> stores_{};
    QLabel* word_;
    QPlainTextEdit* listing_;
    // What the labels showed before the last step, to tell what it changed.
    std::vector<QString> before_;
    std::array<bool, 6> marked_{};
    bool fresh_ = true; // a run started since the last look
    std::uint64_t shownStep_ = ~std::uint64_t{0};
    int markedWord_ = -2;
};

} // namespace veltra
