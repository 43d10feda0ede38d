#pragma once
// The settings dialog: editor colours with a preview, the port, and the device
// each port name stands for. It reads the settings file when it is made and
// writes it when the user saves. Tests reach its controls by object name.

#include <QDialog>

#include <cstdint>

#include "files/Settings.h"

namespace Ui {
class TFormConfig;
}

namespace veltra {

class DeviceChooser;

class TFormConfig : public QDialog {
    Q_OBJECT

  public:
    explicit TFormConfig(QWidget* parent = nullptr);
    ~TFormConfig() override;

    void cbBGcolorChange();
    void cbTEXTcolorChange();
    void btSaveClick();
    void btCancelClick();

    // The colour indices the preview shows.
    std::int16_t previewBg() const { return previewBg_; }
    std::int16_t previewText() const { return previewText_; }

    // The selected entry of the text-colour list; -1 while its field holds
    // text that is not one of the entries.
    int selectedTextColour() const;

    // The last save gave `portName` ("COM1".."COM3") another device.
    bool savedNewDeviceFor(const QString& portName) const;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void colourPreview();
    // Where a virtual board's link may be: the program's folder and the one above.
    static QStringList boardLinkFolders();

    Ui::TFormConfig* const ui;
    std::int16_t previewBg_ = 0;
    std::int16_t previewText_ = 0;
    DeviceChooser* chooser_ = nullptr;
    PortKeys savedPorts_{};
};

} // namespace veltra
