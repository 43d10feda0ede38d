#pragma once
// The About window: program name, version, the project's lines and two
// pictures on a white face. It is made for each showing and closes on a
// click anywhere on its background.

#include <QDialog>

#include <memory>

namespace Ui {
class TFormAbout;
}

namespace veltra {

class TFormAbout : public QDialog {
    Q_OBJECT

  public:
    explicit TFormAbout(QWidget* parent = nullptr);
    ~TFormAbout() override;

    // Resource paths of the two pictures (JPEG).
    static const char* const kBannerPath;
    static const char* const kLogoPath;

  public slots:
    // A click on the background: closes the window.
    void FormClick();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::TFormAbout> ui;
};

} // namespace veltra
