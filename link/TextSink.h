#pragma once
// Where a procedure on the board link writes what the user is to read, line
// by line: the upload window's log, the console. The procedures know nothing
// of the widget that shows the lines.

#include <QString>

namespace veltra {

class TextSink {
  public:
    virtual ~TextSink() = default;
    // Adds a line at the end; returns its index (lines count from 0).
    virtual int AppendLine(const QString& line) = 0;
    // Puts `line` in place of line `index`; appends it when that line is gone
    // (the user edited it away meanwhile), since an outcome must be seen.
    virtual void ReplaceLine(int index, const QString& line) = 0;
};

} // namespace veltra
