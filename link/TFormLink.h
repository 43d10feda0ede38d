#pragma once
// The upload window: a small borderless window that asks the board for its
// status, then sends the compiled program, logging each step. It closes by
// itself, accepted when the board took the program, rejected otherwise.

#include <QDialog>

#include "compiler/ProgramImage.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"

class QPlainTextEdit;
class QTimer;

namespace veltra {

class TFormLink : public QDialog {
    Q_OBJECT

public:
    TFormLink(LinkProtocol& link, WaitTurns& turns, QWidget* parent = nullptr);

    QPlainTextEdit* const Memo1;
    QTimer* const Tm;

    // The log line by line, as shown.
    QStringList LogLines() const;

public slots:
    // The whole upload; runs once, 500 ms after the window was created.
    void TmTimer();

private:
    enum class Outcome { Uploaded, Failed, Aborted };
    // The two request steps and the pauses after them.
    Outcome runUpload();
    void log(const QString& line);

    LinkProtocol& link_;
    WaitTurns& turns_;
};

}  // namespace veltra
