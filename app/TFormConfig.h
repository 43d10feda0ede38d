#pragma once
// The settings dialog: editor colours with a preview, and the port. It reads
// the settings file when it is made and writes it when the user saves.

#include <QDialog>
#include <cstdint>

namespace Ui {
class TFormConfig;
}

namespace veltra {

class TFormConfig : public QDialog {
    Q_OBJECT

  public:
    explicit TFormConfig(QWidget* parent = nullptr);
    ~TFormConfig() override;

    Ui::TFormConfig* const ui;

    // The colour indices the preview shows.
    std::int16_t previewBg = 0;
    std::int16_t previewText = 0;

    void cbBGcolorChange();
    void cbTEXTcolorChange();
    void btSaveClick();
    void btCancelClick();

    // The selected entry of the text-colour list; -1 while its field holds
    // text that is not one of the entries.
    int selectedTextColour() const;

  private:
    void colourPreview();
};

} // namespace veltra
