#include "link/TFormLink.h"

#include <QPlainTextEdit>
#include <QTimer>

#include "link/LinkSession.h"

namespace veltra {

TFormLink::TFormLink(LinkSession& session, const ProgramImage& checked, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      Memo1(new QPlainTextEdit(this)),
      Tm(new QTimer(this)),
      session_(session),
      checked_(checked) {
    setObjectName("TFormLink");
    // Borderless, so the caption is never seen; it still names the window for the window manager.
    setWindowTitle(QStringLiteral("Veltra  Связь"));
    setFixedSize(290, 140);
    QPalette look = palette();
    look.setColor(QPalette::Window, QColor(0, 128, 0));
    setPalette(look);
    setAutoFillBackground(true);

    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(4, 7, 280, 126);
    Memo1->setReadOnly(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    Memo1->setFont(font);

    if (parent) {
        // Centred on the main window.
        const QRect owner = parent->frameGeometry();
        move(owner.center() - QPoint(width() / 2, height() / 2));
    }

    Tm->setObjectName("Tm");
    Tm->setInterval(500);
    connect(Tm, &QTimer::timeout, this, &TFormLink::TmTimer);
    Tm->start();
}

QStringList TFormLink::LogLines() const {
    const QString text = Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QChar('\n'));
}

int TFormLink::AppendLine(const QString& line) {
    Memo1->appendPlainText(line);
    return Memo1->document()->blockCount() - 1;
}

void TFormLink::ReplaceLine(int, const QString& line) {
    // The upload only ever adds lines.
    AppendLine(line);
}

void TFormLink::TmTimer() {
    Tm->stop();
    // An aborted upload (the owner is closing) ends the modal loop but leaves
    // the link alone.
    const bool uploaded = session_.Upload(checked_, *this) == UploadResult::Uploaded;
    sequenceEnded_ = true;
    if (uploaded) {
        accept();
    } else {
        reject();
    }
}

void TFormLink::reject() {
    // QDialog's close event asks reject() too, and ignores the close when the
    // window is still shown after it.
    if (sequenceEnded_) QDialog::reject();
}

}  // namespace veltra
