#pragma once
// The application's title: the main window's, the taskbar's, and the caption
// of every message box that has no caption of its own.

#include <QString>

namespace veltra {

inline const QString kAppTitle = QStringLiteral("Veltra KX-LED v1.2");

} // namespace veltra
