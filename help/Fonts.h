#pragma once
// Fonts by the names the windows were drawn with ("Arial", "Tahoma", ...).
// On Linux those families are usually missing; designFont() makes Qt fall
// back to free fonts with the same (or nearly the same) character widths,
// so that every text keeps fitting the box it was laid out for.

#include <QFont>
#include <QString>

namespace veltra {

// A font of the given family with its character height in pixels (the em
// size, not the line height). The first call installs the substitutions for
// the Windows families once for the whole process; the font of a family
// that exists on the machine is used as it is.
QFont designFont(const QString& family, int pixelSize, bool bold = false);

// Installs the substitutions without making a font; designFont() calls it.
void installFontSubstitutions();

} // namespace veltra
