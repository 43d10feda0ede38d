#include "app/settings/TFormConfig.h"

#include <QDir>
#include <QGroupBox>
#include <QStyle>

#include "app/settings/DeviceChooser.h"
#include "app/settings/EditorColours.h"
#include "app/shell/VeltraApplication.h"
#include "files/ProgramFolder.h"
#include "help/Fonts.h"
#include "ui_TFormConfig.h"

namespace veltra {

TFormConfig::TFormConfig(QWidget* parent) : QDialog(parent), ui(new Ui::TFormConfig) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(288, 519);
    move(518, 119);
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    // Bold navy captions; the controls inside keep the dialog's plain font
    // and black text. (Done with fonts and palettes: a style sheet would
    // cost more start-up time than the whole dialog.)
    for (QGroupBox* group : {ui->GroupBox1, ui->GroupBox2}) {
        QFont captionFont = font();
        captionFont.setBold(true);
        group->setFont(captionFont);
        QPalette captionPalette = group->palette();
        captionPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
        group->setPalette(captionPalette);
        for (QWidget* child : group->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            child->setFont(font());
            QPalette plain = child->palette();
            plain.setColor(QPalette::WindowText, palette().color(QPalette::WindowText));
            child->setPalette(plain);
        }
    }
    // The preview's design colours: yellow on black.
    QPalette design = ui->stExample->palette();
    design.setColor(QPalette::Window, Qt::black);
    design.setColor(QPalette::WindowText, Qt::yellow);
    ui->stExample->setPalette(design);
    ui->stExample->setFont(designFont(QStringLiteral("Courier New"), 16));
    ui->btCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    ui->btSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui->btCancel->setIconSize(QSize(32, 32));
    ui->btSave->setIconSize(QSize(32, 32));

    ReadSettings();
    const Settings& settings = appSettings();
    auto entry = [](const QComboBox* list, int index) {
        return index >= 0 && index < list->count() ? index : -1;
    };
    ui->cbBGcolor->setCurrentIndex(entry(ui->cbBGcolor, settings.BG_COLOR));
    ui->cbTEXTcolor->setCurrentIndex(entry(ui->cbTEXTcolor, settings.TXT_COLOR));
    previewBg_ = settings.BG_COLOR;
    previewText_ = settings.TXT_COLOR;
    ui->cbPortName->setCurrentIndex(
        ui->cbPortName->findText(settings.PORT_NAME, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    chooser_ = new DeviceChooser(*ui->cbPortName, *ui->cbDevice, settings.PORTS, boardLinkFolders(), this);
    colourPreview();
    ui->cbPortSpeed->setCurrentIndex(3);

    connect(ui->cbBGcolor, &QComboBox::currentIndexChanged, this,
            [this] { guarded([this] { cbBGcolorChange(); }); });
    connect(ui->cbTEXTcolor, &QComboBox::currentIndexChanged, this,
            [this] { guarded([this] { cbTEXTcolorChange(); }); });
    connect(ui->cbTEXTcolor, &QComboBox::editTextChanged, this,
            [this] { guarded([this] { cbTEXTcolorChange(); }); });
    connect(ui->btSave, &QPushButton::clicked, this, [this] { guarded([this] { btSaveClick(); }); });
    connect(ui->btCancel, &QPushButton::clicked, this, [this] { guarded([this] { btCancelClick(); }); });
}

TFormConfig::~TFormConfig() {
    delete ui;
}

QStringList TFormConfig::boardLinkFolders() {
    QDir folder(programFolder());
    QStringList folders{folder.absolutePath()};
    if (folder.cdUp()) folders << folder.absolutePath();
    return folders;
}

void TFormConfig::showEvent(QShowEvent* event) {
    chooser_->startWatching();
    QDialog::showEvent(event);
}

void TFormConfig::hideEvent(QHideEvent* event) {
    chooser_->stopWatching();
    QDialog::hideEvent(event);
}

bool TFormConfig::savedNewDeviceFor(const QString& portName) const {
    const int name = ui->cbPortName->findText(portName, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    return name >= 0 && name < int(savedPorts_.size()) && savedPorts_[std::size_t(name)];
}

int TFormConfig::selectedTextColour() const {
    // Typing into the field leaves Qt's current entry where it was; what
    // counts is whether the text still names an entry.
    return ui->cbTEXTcolor->findText(ui->cbTEXTcolor->currentText(),
                                     Qt::MatchFixedString | Qt::MatchCaseSensitive);
}

void TFormConfig::colourPreview() {
    QPalette palette = ui->stExample->palette();
    if (auto colour = backgroundColour(previewBg_)) palette.setColor(QPalette::Window, *colour);
    if (auto colour = textColour(previewText_)) palette.setColor(QPalette::WindowText, *colour);
    ui->stExample->setPalette(palette);
}

void TFormConfig::cbBGcolorChange() {
    previewBg_ = std::int16_t(ui->cbBGcolor->currentIndex());
    colourPreview();
}

void TFormConfig::cbTEXTcolorChange() {
    previewText_ = std::int16_t(selectedTextColour());
    colourPreview();
}

void TFormConfig::btSaveClick() {
    // The record changes only once the file holds the new values.
    Settings changed = appSettings();
    changed.BG_COLOR = std::int16_t(ui->cbBGcolor->currentIndex());
    changed.TXT_COLOR = std::int16_t(selectedTextColour());
    changed.PORT_NAME = ui->cbPortName->currentIndex() >= 0 ? ui->cbPortName->currentText() : QString();
    // Only a device picked here is written: a path set by hand stays as it is.
    const PortKeys ports = chooser_->changedPorts();
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (ports[i]) changed.PORTS[i] = chooser_->chosen()[i];
    writeSettingsTo(SettingsPath(), changed, ports);
    appSettings() = changed;
    savedPorts_ = ports;
    accept();
}

void TFormConfig::btCancelClick() {
    reject();
}

} // namespace veltra
