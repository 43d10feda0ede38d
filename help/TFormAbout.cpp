#include "help/TFormAbout.h"

#include "help/Fonts.h"
#include "help/Pictures.h"
#include "ui_TFormAbout.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QStyle>

namespace veltra {

const char* const TFormAbout::kBannerPath = ":/help/images/banner.jpg";
const char* const TFormAbout::kLogoPath = ":/help/images/logo.jpg";

namespace {

void setLook(QWidget* widget, const QFont& font, const QColor& colour) {
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFormAbout>()) {
    ui->setupUi(this);
    setFixedSize(490, 281);
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));

    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    const QColor black(0, 0, 0);
    const QString times = QStringLiteral("Times New Roman");
    const QString courier = QStringLiteral("Courier New");
    setLook(ui->Label1, designFont(times, 19), QColor(0, 0, 128));
    setLook(ui->Label5, designFont(times, 13), black);
    setLook(ui->Label9, designFont(courier, 13), black);
    setLook(ui->Label2, designFont(courier, 13), black);
    setLook(ui->Label6, designFont(courier, 15, true), black);
    setLook(ui->Label3, designFont(courier, 15, true), black);
    setLook(ui->Label7, designFont(courier, 24, true), QColor(255, 0, 0));

    // A lowered rule: the grey line one pixel above the bottom of its box
    // (the light line below it would vanish on the white face).
    ui->Bevel1->setStyleSheet(QStringLiteral(
        "#Bevel1 { border: none; border-bottom: 1px solid rgb(128, 128, 128); margin-bottom: 1px; }"));

    // A picture that cannot be decoded leaves its place white; the window
    // itself still opens (loadPicture reports the reason).
    ui->Image1->setPixmap(loadPicture(QString::fromLatin1(kBannerPath)));
    ui->Image2->setPixmap(loadPicture(QString::fromLatin1(kLogoPath)));
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::FormClick() {
    close();
}

void TFormAbout::mouseReleaseEvent(QMouseEvent* event) {
    // Clicks on the labels and pictures travel up to here as well; only the
    // bare background counts.
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && rect().contains(at) && childAt(at) == nullptr) {
        FormClick();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void TFormAbout::showEvent(QShowEvent* event) {
    // QDialog centres itself over its parent here; this window belongs in the
    // middle of the desktop instead.
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frameGeometry().size(),
                             screen->availableGeometry())
             .topLeft());
}

} // namespace veltra
