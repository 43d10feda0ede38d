#pragma once
// The folder of the editor's executable: home of Veltra.ini and the initial
// folder of the file dialogs. Tests point it at a temporary folder; the
// program itself never changes it.

#include <QString>

namespace veltra {

// With a trailing separator.
QString programFolder();

// An empty path returns to the executable's folder.
void setProgramFolder(const QString& folder);

} // namespace veltra
