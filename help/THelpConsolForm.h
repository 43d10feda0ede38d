#pragma once
// The console help window: a reference card for the control console. Its
// text may be edited while the window is open, but nothing keeps the edits;
// every run starts with the same card. It stands beside the main window
// like the language help.

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class THelpConsolForm;
}

namespace veltra {

class THelpConsolForm : public QWidget {
    Q_OBJECT

  public:
    // `mainWindow` is the window to stand beside; `parent` only owns this one.
    explicit THelpConsolForm(QWidget* mainWindow, QWidget* parent = nullptr);
    ~THelpConsolForm() override;

  public slots:
    // Docks the window beside the main window.
    void Timer1Timer();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::THelpConsolForm> ui;
    QPointer<QWidget> mainWindow_;
    QTimer Timer1;
};

} // namespace veltra
