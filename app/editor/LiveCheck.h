#pragma once
// Checks the editor's text a moment after each change and marks every line
// the check finds wrong in the gutter. The status line, the session's
// program, the change detection and the upload's check never see it.
//
// A text of up to TextLoader::Pace::largeLines lines is checked on the GUI
// thread (a 1000-line text takes some 50 µs). A longer one is only read
// there, in one pass (a few milliseconds for a million lines); cutting it
// into lines and checking them, some hundreds of milliseconds, is done on a
// worker thread, and the marks are taken only if the text has not changed
// meanwhile. One such check runs at a time.

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

namespace veltra {

class ProgramEdit;

class LiveCheck : public QObject {
    Q_OBJECT

  public:
    static constexpr int kDelayMs = 300; // after the last change

    explicit LiveCheck(ProgramEdit& edit);

    // Checks now on this thread (and forgets a pending check).
    void runNow();

  private:
    using Marks = std::map<int, QString>;
    // The timer's check: on this thread or beside it, as the text's length asks.
    void check();
    void besideDone();

    ProgramEdit& edit_;
    QTimer timer_;
    QFutureWatcher<Marks> beside_;
    int changes_ = 0;       // edits so far
    int besideChanges_ = 0; // the edits the check beside has seen
};

} // namespace veltra
