#pragma once
// Program texts and settings values are 8-bit Windows-1251 on disk; the
// editor holds Unicode. Every byte value has a character, but not every
// character has a byte: the encoder says where the first such one is, so that
// nothing is ever written with a silent substitute.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace veltra {

QString decodeCp1251(QByteArrayView bytes);

// Returns -1 and fills `out` when every character of `text` has a byte;
// otherwise the index of the first character that has none (`out` is then
// unspecified).
qsizetype encodeCp1251(QStringView text, QByteArray& out);

} // namespace veltra
