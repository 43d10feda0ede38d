#pragma once
// The program text's change detection: once a second the window compares the
// text's length (its counted lines, each followed by CR LF) with the length
// last seen, and reports a difference as a change of the program. Lengths
// only: replacing a character by another is not a change. Replacing the
// whole text (New, Open) and storing it (Save) take its length as the one
// last seen, so that they are not reported.
//
// An edit that the next pass will report makes the save button usable at
// once: right after a save, a click on it (or Ctrl+S, which follows it)
// would otherwise do nothing for up to a second, and the file name typed
// next would land in the program.

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class QAbstractButton;
class QPlainTextEdit;

namespace veltra {

class ChangeDetection : public QObject {
  public:
    ChangeDetection(QPlainTextEdit& edit, QAbstractButton& saveButton);

    // Puts `text` in the editor in place of the whole text (TextLoader: a
    // long one a slice at a time, one Ctrl+Z away unless `isStored` says a
    // file holds the text it replaces); not an edit of the user's, so the
    // save button is left as it is, and no pass reports a change while it
    // goes in. False when the user cancelled: the previous text stands.
    bool replaceText(const QString& text, const std::function<bool(const QString&)>& isStored);
    // A text is going in (replaceText has not returned).
    bool replacing() const { return replacing_; }
    // The text as it stands now counts as unchanged.
    void takeAsUnchanged();
    // The once-a-second pass: true when the length differs from the one last
    // seen, which it then becomes; the save button is made usable. Nothing
    // while a text goes in.
    bool pass();

    std::int32_t textLength() const { return textLength_; }
    std::int32_t lastTextLength() const { return lastTextLength_; }

  private:
    QPlainTextEdit& edit_;
    QAbstractButton& save_;
    // One empty line and its CR LF.
    std::int32_t textLength_ = 2;
    std::int32_t lastTextLength_ = 2;
    bool replacing_ = false;
};

} // namespace veltra
