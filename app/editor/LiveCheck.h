#pragma once
// Checks the editor's text a moment after each change and marks every line
// the check finds wrong in the gutter. It compiles on the GUI thread (a
// 1000-line text takes some 50 µs) into a scratch image of its own: the
// status line, the session's program, the change detection and the upload's
// check never see it.

#include <QObject>
#include <QTimer>

namespace veltra {

class ProgramEdit;

class LiveCheck : public QObject {
    Q_OBJECT

  public:
    static constexpr int kDelayMs = 300; // after the last change

    explicit LiveCheck(ProgramEdit& edit);

    // Checks now (and forgets a pending check).
    void runNow();

  private:
    ProgramEdit& edit_;
    QTimer timer_;
};

} // namespace veltra
