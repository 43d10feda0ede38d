#pragma once
// The pictures of the help windows, kept as JPEG files among the program's
// resources and decoded when a window is made.

#include <QPixmap>
#include <QString>

namespace veltra {

// Decodes the picture at `path` (a resource path such as
// ":/help/images/logo.jpg"). On failure, for instance when Qt's JPEG plugin
// is missing, it warns with the reason and returns a null pixmap.
QPixmap loadPicture(const QString& path);

} // namespace veltra
