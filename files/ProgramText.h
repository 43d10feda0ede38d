#pragma once
// Program text files: Windows-1251, one program line per text line, CR LF
// after every line. Reading accepts CR LF, LF and a lone CR as line ends.

#include <QString>
#include <QStringList>
#include <optional>

namespace veltra {

// A program file as read: its text with LF line ends, and whether it was read
// as UTF-8. It is Windows-1251, unless it is valid UTF-8 with bytes above
// 0x7F (any Linux editor's, with or without a byte-order mark).
struct ProgramFileText {
    QString text;
    bool readAsUtf8 = false;
};

// The file as read, or nothing when it cannot be read. Only a regular file
// (or a link to one) of at most 16 MiB is read: a FIFO would block,
// /dev/zero would fill the memory. Safe on any thread.
std::optional<ProgramFileText> tryReadProgramFile(const QString& path);
// The same; throws AppError "Cannot open file %s".
QString readProgramFile(const QString& path, bool* readAsUtf8 = nullptr);
// The message for a file that cannot be read.
QString cannotOpenMessage(const QString& path);

// The first character of `lines` that Windows-1251 cannot hold, 0-based.
struct Unencodable {
    int line = 0;
    int column = 0;
    QString character; // one code point
};
std::optional<Unencodable> findUnencodable(const QStringList& lines);
// What the user is told of it: the line (from 1) and the character, then
// `notSaved`, which says what was not written.
QString unencodableMessage(const Unencodable& bad, const QString& notSaved);

// Writes every line followed by CR LF. The file is replaced only when the
// whole new text is on disk, so a failed save leaves the old file as it was.
// Throws AppError "Cannot create file %s"; also when a line cannot be encoded
// (callers check with findUnencodable first, to tell the user where).
void writeProgramFile(const QString& path, const QStringList& lines);

// `path` with ".<suffix>" appended when its file name has no extension.
QString withDefaultSuffix(const QString& path, const QString& suffix);

} // namespace veltra
