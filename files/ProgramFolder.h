#pragma once
// The folder of the editor's executable: home of Veltra.ini and the initial
// folder of the file dialogs, wherever the user may write there. Tests point
// it at a temporary folder; the program itself never changes it.

#include <QString>

namespace veltra {

// With a trailing separator.
QString programFolder();

// An empty path returns to the executable's folder.
void setProgramFolder(const QString& folder);

// Where Veltra.ini lives. Beside the executable wherever the user can write
// that file (also when only its owner's write bit is missing, which each
// access gives back) or create it there, so that a copied program carries its
// settings. Where neither is possible (an installed program in a system
// folder): $XDG_CONFIG_HOME/veltra/Veltra.ini (default ~/.config/veltra/),
// started as a copy of the file beside the executable when there is one.
QString settingsFilePath();

// The user's own state kept between runs (the console's history, the
// editor's recovery copies), with a trailing separator:
// $XDG_STATE_HOME/veltra/, or ~/.local/state/veltra/ when that variable is
// unset or not an absolute path. Not created here: the first file written
// there makes it.
QString stateFolder();

// The user's runtime folder, without a trailing separator: the instance
// lock, the editor's socket, the virtual board's link, which whoever may write
// there could pre-make or replace. $XDG_RUNTIME_DIR when it is a folder of the
// user's own that nobody else may write to; else "runtime-USER" in the
// temporary folder, made 0700 when missing and taken only when it is such a
// folder (another user may have made it first); else empty: there is none,
// and the editor goes on without what it would keep there.
QString runtimeFolder();

// The link to the virtual board the editor starts itself when a port is set
// to it: RUNTIME/veltra/virtual-board; empty without a runtime folder. The
// folder is not made here.
QString virtualBoardLink();

// The initial folder of the file dialogs, with a trailing separator: the
// program folder, or the user's home where that folder allows no new file.
QString documentFolder();

} // namespace veltra
