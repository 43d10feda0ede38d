#pragma once
// Program text files: Windows-1251, one program line per text line, CR LF
// after every line. Reading accepts CR LF, LF and a lone CR as line ends.

#include <QString>
#include <QStringList>
#include <optional>

namespace veltra {

// The file's text with LF line ends: Windows-1251, unless the file is valid
// UTF-8 with bytes above 0x7F (any Linux editor's, with or without a
// byte-order mark), which is read as UTF-8 and said in `readAsUtf8`. Throws
// AppError "Cannot open file %s".
QString readProgramFile(const QString& path, bool* readAsUtf8 = nullptr);

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
