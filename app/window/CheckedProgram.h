#pragma once
// The compiled program: what the last check of the editor's text built, kept
// until the text changes. It has one owner, the main window, and one way to
// stop counting as ready, invalidate() (its count becomes 0), so that the
// next upload checks the text again. The upload takes a copy of it.
//
// The send path (F8 and the send button, F5's check) holds it while it checks
// and sends: one at a time, and the view stays as it is meanwhile.

#include <QScopedValueRollback>

#include <string>
#include <vector>

#include "compiler/ProgramCheck.h"
#include "compiler/ProgramImage.h"

namespace veltra {

class CheckedProgram {
  public:
    // The whole-program check of `source` (the editor's counted lines): the
    // image is built anew; returns the check's value, 0 when it compiled.
    int check(const std::vector<std::u32string>& source, CheckReport& report) {
        return buildProgram(source, image_, report);
    }
    // The text changed, or another one took its place.
    void invalidate() { image_.count = 0; }
    // A check compiled words that an upload may send.
    bool ready() const { return image_.count != 0; }

    const ProgramImage& image() const { return image_; }
    // The image as a check leaves it; tests write it to stand in for a check.
    ProgramImage& image() { return image_; }

    // Held until the returned guard goes.
    [[nodiscard]] QScopedValueRollback<bool> hold() { return QScopedValueRollback<bool>(held_, true); }
    bool held() const { return held_; }

  private:
    ProgramImage image_;
    bool held_ = false;
};

} // namespace veltra
