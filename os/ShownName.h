#pragma once
// Names of files, devices and links as the programs print or show them. A
// name is whatever bytes the file system holds, so it may carry a line end
// (a forged second diagnostic), escape sequences for the terminal, right-to-
// left overrides that make "rtl\u202Egpj.exe" look like "rtlexe.jpg", or
// bytes that are not UTF-8. Shown escaped, a name is one line of plain,
// visible text, and two different names never look the same.
//
// The escaping, in the manner of `ls -b`:
//   \\                        a backslash
//   \a \b \t \n \v \f \r \e   BEL, BS, TAB, LF, VT, FF, CR, ESC
//   \xNN                      any other control character below 0x20, DEL,
//                             and every byte that is not part of valid UTF-8
//   \uNNNN                    C1 controls (U+0080..U+009F), the invisible
//                             format characters that reorder or hide text
//                             (U+061C, U+200B..U+200F, U+2028..U+202E,
//                             U+2060..U+206F, U+FEFF)
// Everything else (Cyrillic, accents, symbols) stays as it is.

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

class QJsonObject;

namespace veltra {

std::string escapedName(std::string_view bytes);
QString shownName(const QByteArray& bytes);
// A name the program holds as a QString (a path from a file dialog).
QString shownPath(const QString& path);

// Whether `bytes` are valid UTF-8 (no overlong forms, no surrogates).
bool isUtf8(std::string_view bytes);

// For JSON output: `key` holds the name as text; a name that is not valid
// UTF-8 (which JSON text cannot carry) also gets `key`_bytes, the name's
// bytes in base64, so that every name can be recovered and two names never
// print the same.
void insertName(QJsonObject& object, const QString& key, const QByteArray& bytes);

} // namespace veltra
