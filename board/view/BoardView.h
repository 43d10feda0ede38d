#pragma once
// The virtual board's window: the LEDs, the port bytes, the relays, the
// variables, the stores, where the program stands, and the three buttons,
// which the mouse or the keys 1, 2 and 3 press and hold.
//
// It only shows the model and feeds it the buttons; a BoardRunner (or the
// simulator's own loop) advances the model. The view polls the model's
// revision on a timer and redraws only when it moved.

#include <QWidget>

#include <array>
#include <cstdint>

class QGridLayout;
class QLabel;
class QPushButton;
class QTimer;

namespace veltra {

class BoardModel;
class LedStrip;
struct StoreSlot;

// A store as the board's window shows it: "пусто", "А = 5", "свд_2 = к,15".
QString storeText(const StoreSlot& slot);

class BoardView : public QWidget {
    Q_OBJECT
  public:
    // 25 refreshes a second.
    static constexpr int kRefreshIntervalMs = 40;

    explicit BoardView(BoardModel& model, QWidget* parent = nullptr);

    LedStrip* ledStrip() const { return leds_; }
    QPushButton* button(int n) const { return buttons_[n - 1]; }

    // Without polling the view shows the model only when refresh() is called
    // (its owner knows when the model moved); with it, 25 times a second.
    void setPolling(bool on);
    // Without it, the line of where the program stands is left to the owner.
    void setProgramShown(bool on);

  public slots:
    // Shows the model as it is now (the refresh timer calls it).
    void refresh();

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    QLabel* addValue(QGridLayout* grid, int row, int column, const QString& caption, const char* name);
    void holdButton(int n, bool byKey, bool held);
    void showProgram();

    BoardModel& model_;
    LedStrip* leds_;
    std::array<QLabel*, 6> portBits_{};
    std::array<QLabel*, 5> portBrightness_{};
    std::array<QLabel*, 2> relays_{};
    std::array<QLabel*, 2> stores_{};
    QLabel* varA_;
    QLabel* varB_;
    QLabel* program_;
    QLabel* programCaption_;
    QLabel* module_;
    std::array<QPushButton*, 3> buttons_{};
    std::array<bool, 3> heldByMouse_{};
    std::array<bool, 3> heldByKey_{};
    QTimer* timer_;
    std::uint64_t shownRevision_ = ~std::uint64_t{0};
};

} // namespace veltra
