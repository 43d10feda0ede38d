#pragma once
// Console commands read from a file or a pipe, one a line, as the bytes
// arrive in chunks of any size. A line is UTF-8, or Windows-1251 as program
// files are when it is not valid UTF-8; a line of blanks is no command.
//
// A line longer than kMaxLineBytes is cut there (at a character's start),
// the rest of it skipped, and its encoding judged on what is kept: no
// command comes near that length (the console refuses one of 128
// characters as too long, and so it refuses the cut line), and input
// without line ends (a binary file, /dev/zero) must not grow the reader's
// memory without end.

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

namespace veltra::linktool {

class CommandLines {
  public:
    static constexpr qsizetype kMaxLineBytes = 4096;

    // The commands `chunk` completes, in order.
    QStringList take(QByteArrayView chunk);
    // The input ended: the last line, when it had no line end.
    QStringList finish();
    // The bytes kept of the line not yet ended; never more than kMaxLineBytes.
    qsizetype pendingBytes() const { return pending_.size(); }

  private:
    void endLine(QStringList& lines);

    QByteArray pending_;
    bool cut_ = false;         // the pending line was cut: its rest is skipped
    bool skippedText_ = false; // more than blanks were skipped
};

} // namespace veltra::linktool
