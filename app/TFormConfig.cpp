#include "app/TFormConfig.h"

#include <QFile>
#include <QGroupBox>
#include <QStyle>

#include "app/EditorColours.h"
#include "app/Settings.h"
#include "app/VeltraApplication.h"
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
    previewBg = settings.BG_COLOR;
    previewText = settings.TXT_COLOR;
    ui->cbPortName->setCurrentIndex(
        ui->cbPortName->findText(settings.PORT_NAME, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    // Which device each COM name opens on this machine.
    QStringList devices;
    for (int i = 0; i < ui->cbPortName->count(); ++i) {
        QString line = ui->cbPortName->itemText(i) + QStringLiteral(" = ") +
                       QFile::decodeName(settings.PORTS[std::size_t(i)]);
        ui->cbPortName->setItemData(i, line, Qt::ToolTipRole);
        devices << line;
    }
    ui->cbPortName->setToolTip(devices.join(QLatin1Char('\n')));
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

int TFormConfig::selectedTextColour() const {
    // Typing into the field leaves Qt's current entry where it was; what
    // counts is whether the text still names an entry.
    return ui->cbTEXTcolor->findText(ui->cbTEXTcolor->currentText(),
                                     Qt::MatchFixedString | Qt::MatchCaseSensitive);
}

void TFormConfig::colourPreview() {
    QPalette palette = ui->stExample->palette();
    if (auto colour = backgroundColour(previewBg)) palette.setColor(QPalette::Window, *colour);
    if (auto colour = textColour(previewText)) palette.setColor(QPalette::WindowText, *colour);
    ui->stExample->setPalette(palette);
}

void TFormConfig::cbBGcolorChange() {
    previewBg = std::int16_t(ui->cbBGcolor->currentIndex());
    colourPreview();
}

void TFormConfig::cbTEXTcolorChange() {
    previewText = std::int16_t(selectedTextColour());
    colourPreview();
}

void TFormConfig::btSaveClick() {
    // The record changes only once the file holds the new values.
    Settings changed = appSettings();
    changed.BG_COLOR = std::int16_t(ui->cbBGcolor->currentIndex());
    changed.TXT_COLOR = std::int16_t(selectedTextColour());
    changed.PORT_NAME = ui->cbPortName->currentIndex() >= 0 ? ui->cbPortName->currentText() : QString();
    writeSettingsTo(SettingsPath(), changed);
    appSettings() = changed;
    accept();
}

void TFormConfig::btCancelClick() {
    reject();
}

} // namespace veltra
