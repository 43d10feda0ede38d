#pragma once
// The upload window: a small borderless window that shows the upload's log
// while the link session asks the board for its status and sends the checked
// program. It closes by itself, accepted when the board took the program,
// rejected otherwise, and only then: Escape, Alt+F4 or the window manager's
// close before that would hide the log and give the main window the keys
// while the upload goes on unseen.

#include <QDialog>

#include "compiler/ProgramImage.h"
#include "link/TextSink.h"

class QPlainTextEdit;
class QTimer;

namespace veltra {

class LinkSession;

class TFormLink : public QDialog, private TextSink {
    Q_OBJECT

  public:
    // `checked` is the program its check built, copied now: edits made while
    // the window stands change nothing of what is sent.
    TFormLink(LinkSession& session, const ProgramImage& checked, QWidget* parent = nullptr);

    // The log line by line, as shown.
    QStringList LogLines() const;

  public slots:
    // The whole upload; runs once, 500 ms after the window was created.
    void TmTimer();
    // Escape and every close request end here: nothing happens until the
    // upload's own sequence has ended.
    void reject() override;

  private:
    int AppendLine(const QString& line) override;
    void ReplaceLine(int index, const QString& line) override;

    QPlainTextEdit* const Memo1;
    QTimer* const Tm;
    LinkSession& session_;
    const ProgramImage checked_;
    bool sequenceEnded_ = false;
};

} // namespace veltra
