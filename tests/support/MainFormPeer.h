#pragma once
// The main window's private steps, for tests and benchmarks that drive it
// one step at a time: its handlers as its buttons, keys and timer reach
// them, and the parts it owns, to read.

#include "app/editor/ChangeDetection.h"
#include "app/window/ProgramFiles.h"
#include "app/window/TMainForm.h"
#include "link/BoardProcess.h"

namespace veltra::test {

class TMainFormPeer {
  public:
    explicit TMainFormPeer(TMainForm& form) : form_(form) {}

    // One 100 ms tick of the window's timer.
    void TmTimer() { form_.TmTimer(); }
    // F8 or the send button.
    void runSend() { form_.runSend(); }
    // F10.
    void switchView() { form_.switchView(); }
    int checkProgram() { return form_.checkProgram(); }
    void btSaveToFileClick() { form_.btSaveToFileClick(); }

    const ProgramFiles& files() const { return *form_.files_; }
    const ChangeDetection& changes() const { return *form_.changes_; }
    // The virtual board the editor runs while the port in use is set to it.
    const BoardProcess& virtualBoard() const { return form_.portSteps_.board(); }

  private:
    TMainForm& form_;
};

} // namespace veltra::test
