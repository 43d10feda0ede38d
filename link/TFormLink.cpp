#include "link/TFormLink.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>

namespace veltra {

namespace {

const QString kSeparator(49, QChar('-'));

// Both pick-ups share one allowance of 10 turns of 50 ms.
constexpr WaitSpec kPickUp{50, 10};
constexpr WaitSpec kStatusReply{50, 10};
constexpr WaitSpec kUploadReply{50, 100};

}  // namespace

TFormLink::TFormLink(LinkProtocol& link, WaitTurns& turns, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      Memo1(new QPlainTextEdit(this)),
      Tm(new QTimer(this)),
      link_(link),
      turns_(turns) {
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

void TFormLink::log(const QString& line) { Memo1->appendPlainText(line); }

void TFormLink::TmTimer() {
    Tm->stop();
    const Outcome outcome = runUpload();
    if (outcome == Outcome::Aborted) {
        // The owner is closing: end the modal loop, but leave the link alone.
        reject();
        return;
    }
    link_.pendingRequestCode = 0;
    if (outcome == Outcome::Uploaded) {
        accept();
    } else {
        reject();
    }
}

TFormLink::Outcome TFormLink::runUpload() {
    LinkRequest request(link_, turns_);
    int pickUps = 0;

    log(QStringLiteral(">>> Запрос статуса "));
    request.Raise(RequestCode::Status);
    bool ok = request.AwaitPickUp(RequestCode::Status, kPickUp, pickUps);
    ok = request.AwaitReply(kStatusReply, ok) && ok;
    if (request.Aborted()) return Outcome::Aborted;
    // The status byte is not judged here: any answer shows the board is listening.
    log(ok ? QStringLiteral("<<< OK ") : QStringLiteral("<<< ОШИБКА: плата не отвечает ! "));
    log(kSeparator);
    QCoreApplication::processEvents();
    if (request.Aborted()) return Outcome::Aborted;
    link_.pendingRequestCode = 0;
    if (!ok) {
        for (int i = 0; i < 20; ++i) {
            if (!request.Pause(100)) return Outcome::Aborted;
        }
        return Outcome::Failed;
    }

    QThread::msleep(100);
    log(QStringLiteral(">>> Загрузка программы в плату"));
    request.Raise(RequestCode::Upload);
    ok = request.AwaitPickUp(RequestCode::Upload, kPickUp, pickUps);
    ok = request.AwaitReply(kUploadReply, ok) && ok;
    if (request.Aborted()) return Outcome::Aborted;
    const bool memoryFailure = ok && (link_.lastReplyStatus & kMemoryFailureBit);
    if (!ok) {
        log(QStringLiteral("<<< ОШИБКА: плата не отвечает ! "));
    } else if (memoryFailure) {
        log(QStringLiteral("ОШИБКА: сбой памяти Veltra !"));
    } else {
        // Other status bits do not matter: the program is in the board.
        log(QStringLiteral("<<< Программа загружена"));
    }
    log(kSeparator);
    QCoreApplication::processEvents();
    if (request.Aborted()) return Outcome::Aborted;
    QThread::msleep(300);
    QCoreApplication::processEvents();
    if (request.Aborted()) return Outcome::Aborted;

    const bool success = ok && !memoryFailure;
    if (!success) {
        for (int i = 0; i < 15; ++i) {
            if (!request.Pause(200)) return Outcome::Aborted;
        }
    }
    return success ? Outcome::Uploaded : Outcome::Failed;
}

}  // namespace veltra
